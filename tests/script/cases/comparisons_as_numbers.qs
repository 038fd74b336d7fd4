// A comparison gives a Boolean, and True counts as -1 wherever a number is
// wanted: the same in plain expressions, in-place assignments, array
// elements, conditions and functions that run in frames.
H1 := (3 > 2) + 0;
H2 := 3 > 2 > 0;
H3 := (3 > 2) * 5;
H4 := (1 = 1) - (2 < 1);
H5 := (2.5 > 1) * 0.5;
H6 := (3 > 2) / 2;
H7 := (1 < 2) = TRUE;
H8 := (1 < 2) = -1;
I := 7;
H9 := (I > 2) + I;
IF (I > 2) + 1 THEN Z := 1 ELSE Z := 2;
A := 0;
A := (A < 1) + A;
B[1] := 0;
B[1] := (B[1] = 0) * 3;
C := (I < 0) - (I > 0);
FUNCTION G(X); BEGIN RESULT := (X > 0) + X END;
G1 := G(5);
W := 0;
WHILE (W > -3) * 1 DO W := W - 1;
