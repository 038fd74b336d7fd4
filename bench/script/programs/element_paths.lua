DOOR = {RX = 0.0}
for I = 1, 2000000 do DOOR.RX = DOOR.RX + 0.5 end
