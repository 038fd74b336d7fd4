local X = 0.5
for I = 1, 5000000 do X = X * 0.999 + I / 7 end
