I := 0;
N := 0;
FOR I := 1 TO 200000 DO
BEGIN
  S := IntToStr(I * 7);
  N := N + Length(S);
END;
