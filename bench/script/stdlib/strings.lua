S = 'The quick brown fox jumps over the lazy dog'
N = 0
for I = 1, 200000 do
  T = string.sub(S, 5, 14)
  N = N + string.find(S, 'fox', 1, true) + #T
end
