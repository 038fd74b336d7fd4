S := ''; I := 0; N := 0; R := 0;
FOR R := 1 TO 5 DO BEGIN
  S := '';
  FOR I := 1 TO 20000 DO S := S + 'ab';
  FOR I := 1 TO 40000 DO IF S[I] = 'a' THEN N := N + 1
END;
