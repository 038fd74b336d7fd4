A = {}; T = 0
for I = 0, 99999 do A[I] = I * 7 end
for R = 1, 20 do
  for I = 0, 99999 do T = (T + A[I]) & 1048575 end
end
