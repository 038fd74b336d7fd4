I := 0;
X := 0;
FOR I := 1 TO 200000 DO
  X := X + Round(Sqrt(I));
