X := 4;
CASE X OF 1, 3 .. 5: A := 1; ELSE A := 0; END;
X := 2;
CASE X OF 1, 3 .. 5: B := 1; ELSE B := 0; END;
S := 'B';
CASE S OF 'A' .. 'C': C := 'range'; END;
CASE S OF 1: D := 'int'; ELSE D := 'else'; END;
CASE 7 OF 9 .. 5: E := 'swapped'; END;
CASE 3 OF 1: F := 1; 3: BEGIN F := 3; F2 := 33 END; 3: F := 4; END;
