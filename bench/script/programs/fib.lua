function FIB(N)
  if N < 2 then return N else return FIB(N - 1) + FIB(N - 2) end
end
F = FIB(27)
