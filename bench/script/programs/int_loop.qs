S := 0; X := 0; I := 0;
FOR I := 1 TO 10000000 DO BEGIN S := S + 1; X := I * 2 - S END;
