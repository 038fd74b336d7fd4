#!/usr/bin/env bash
# Builds everything and plays the bundled demo game: in a window when a display
# exists, else headless, writing screenshots into a folder it names.
#   scripts/play.sh [qelplayer options...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$(nproc)"
player=$PWD/build/release/src/shell/qelplayer
game=$PWD/build/release/demo/demo.qelf
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$player" "$@" "$game"
fi
shots=$PWD/build/release/demo-screenshots
mkdir -p "$shots"
echo "No display: playing the demo headless; screenshots go to $shots"
# The logo, the first room once the logos are over, a click on the door, the end.
cat > "$shots/clicks.txt" <<'INPUT'
# STEP EVENT ARGUMENTS (events come after that process step)
210 move 700 300
212 down 700 300
213 up 700 300
INPUT
"$player" --headless --frames 240 --seed 1 --replay "$shots/clicks.txt" \
  --screenshot-at 40:"$shots/logo.png" --screenshot-at 205:"$shots/room.png" \
  --screenshot-at 215:"$shots/click.png" --screenshot "$shots/end.png" "$@" "$game"
ls -1 "$shots"/*.png
