local A, T = {}, 0
for I = 1, 10000 do A[I] = I end
for K = 1, 400 do
  for I = 2, 10000 do A[I] = A[I - 1] + 1 end
end
for I = 1, 10000 do T = T + A[I] end
