{ Unknown simple names read as Byte 0; arrays are variables named by their indices }
U := NOSUCH;
A[1] := 10; A[2] := A[1] + 5;
I := 2; B := A[I] * 2;
M[1, -2] := 'x';
K := M[1,-2];
A := 7;          // a plain A may be assigned while A[...] exist
C := A;
S := 'ABC';
S2 := S[2];
R[3] := 'hello';
R2 := R[3][5];
