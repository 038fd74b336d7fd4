I := 0; R := 0; T := 0;
FOR I := 0 TO 99999 DO A[I] := I * 7;
FOR R := 1 TO 20 DO FOR I := 0 TO 99999 DO T := (T + A[I]) AND 1048575;
