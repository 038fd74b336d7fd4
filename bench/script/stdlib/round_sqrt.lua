X = 0
for I = 1, 200000 do
  X = X + math.floor(math.sqrt(I) + 0.5)
end
