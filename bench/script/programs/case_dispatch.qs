I := 0; K := 0; A := 0; B := 0; C := 0; D := 0;
FOR I := 1 TO 1000000 DO BEGIN
  K := K + 1; IF K > 7 THEN K := 0;
  CASE K OF
    0: A := A + 1;
    1, 2: B := B + 1;
    3 .. 5: C := C + 1;
    6: D := D + 2;
  ELSE D := D + 1;
  END
END;
