I := 0; S := 0;
FOR I := 1 TO 10 DO S := S + I;
T := 'abc' + "x";
F := 3 / 2;
B := 1 < 2;
