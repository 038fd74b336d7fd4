I := 0; K := 0; T := 0;
FOR I := 1 TO 100000 DO A[I] := I;
FOR K := 1 TO 20 DO
  FOR I := 1 TO 100000 DO T := T + A[I];
