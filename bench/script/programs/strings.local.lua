local S, N = '', 0
local sub = string.sub
for R = 1, 5 do
  S = ''
  for I = 1, 20000 do S = S .. 'ab' end
  for I = 1, 40000 do if sub(S, I, I) == 'a' then N = N + 1 end end
end
