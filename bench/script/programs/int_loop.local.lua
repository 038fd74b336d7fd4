local S, X = 0, 0
for I = 1, 10000000 do S = S + 1; X = I * 2 - S end
