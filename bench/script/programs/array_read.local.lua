local A = {}
local T = 0
for I = 1, 100000 do A[I] = I end
for K = 1, 20 do
  for I = 1, 100000 do T = T + A[I] end
end
