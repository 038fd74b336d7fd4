I := 0; K := 0; T := 0;
FOR I := 1 TO 10000 DO A[I] := I;
FOR K := 1 TO 400 DO
  FOR I := 2 TO 10000 DO A[I] := A[I - 1] + 1;
FOR I := 1 TO 10000 DO T := T + A[I];
