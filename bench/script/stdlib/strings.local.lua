local S = 'The quick brown fox jumps over the lazy dog'
local N, T = 0, nil
local sub, find = string.sub, string.find
for I = 1, 200000 do
  T = sub(S, 5, 14)
  N = N + find(S, 'fox', 1, true) + #T
end
