N = 0
for I = 1, 100000 do
  S = string.format('%d: %8.2f', I, I / 7)
  N = N + #S
end
