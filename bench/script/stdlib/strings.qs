I := 0;
S := 'The quick brown fox jumps over the lazy dog';
N := 0;
FOR I := 1 TO 200000 DO
BEGIN
  T := Copy(S, 5, 10);
  N := N + Poss('fox', S) + Length(T);
END;
