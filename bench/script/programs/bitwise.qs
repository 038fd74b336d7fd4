S := 0; I := 0;
FOR I := 1 TO 10000000 DO S := (S + I * 3) AND 65535;
