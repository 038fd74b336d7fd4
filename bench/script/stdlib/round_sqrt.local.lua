local X = 0
local floor, sqrt = math.floor, math.sqrt
for I = 1, 200000 do
  X = X + floor(sqrt(I) + 0.5)
end
