// USES and INCLUDE name their file with an ordinary expression, which may
// call the routines declared before it, those of used files included.
USES 'prepare_calls_lib.inc';
INCLUDE LIBNAME();
FUNCTION PICK(N, S);
BEGIN
  S := S + 1;
  IF N > 0 THEN RESULT := PICK(N - 1, S) ELSE RESULT := 'prepare_calls_' + 'body.inc'
END;
INCLUDE PICK(3, 0);
DONE := 1;
