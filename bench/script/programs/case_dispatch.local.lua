local K, A, B, C, D = 0, 0, 0, 0, 0
for I = 1, 1000000 do
  K = K + 1; if K > 7 then K = 0 end
  if K == 0 then A = A + 1
  elseif K == 1 or K == 2 then B = B + 1
  elseif K >= 3 and K <= 5 then C = C + 1
  elseif K == 6 then D = D + 2
  else D = D + 1 end
end
