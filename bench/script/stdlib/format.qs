I := 0;
N := 0;
FOR I := 1 TO 100000 DO
BEGIN
  S := Format('%d: %8.2f', I, I / 7);
  N := N + Length(S);
END;
