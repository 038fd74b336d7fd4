local N, S = 0, nil
for I = 1, 200000 do
  S = tostring(I * 7)
  N = N + #S
end
