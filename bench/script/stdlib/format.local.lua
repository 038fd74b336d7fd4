local N, S = 0, nil
local format = string.format
for I = 1, 100000 do
  S = format('%d: %8.2f', I, I / 7)
  N = N + #S
end
