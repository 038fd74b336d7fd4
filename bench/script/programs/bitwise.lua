S = 0
for I = 1, 10000000 do S = (S + I * 3) & 65535 end
