S = 0; X = 0
for I = 1, 10000000 do S = S + 1; X = I * 2 - S end
