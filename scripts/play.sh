#!/usr/bin/env bash
# Builds everything and plays the bundled demo game: in a window when a display
# exists, else headless, touring the demo and writing screenshots into a folder
# it names.
#   scripts/play.sh [qelplayer options...]     (e.g. --fullscreen)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$(nproc)"
player=$root/build/release/src/shell/qelplayer
game=$root/build/release/demo
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  # In a window unless asked otherwise (a game's first run would go full screen).
  mode=--windowed
  for a in "$@"; do
    case $a in --windowed | --fullscreen) mode= ;; esac
  done
  exec "$player" $mode "$@" "$game/demo.qelf"
fi

shots=$root/build/release/demo-tour
echo "No display found, so the demo plays headless: a scripted tour (demo/tour.replay)."
echo "Screenshots of every screen go to $shots"
# The tour starts from a first run: a fresh copy of the game folder, without
# the settings or the save a previous game left there.
run=$(mktemp -d)
trap 'rm -rf "$run"' EXIT
cp -r "$game"/demo.qelf "$game"/demo.res "$game"/*.lng "$game"/sounds.ini "$game"/particles.* \
  "$game"/pics "$game"/logos "$game"/sounds "$game"/effects "$run"/
rm -rf "$shots"
mkdir -p "$shots"
args=()
for shot in 50:01-logo1 150:02-logo2 320:03-menu 335:04-menu-hover 380:05-menu-russian 399:06-loading \
  420:07-room 428:08-room-hover 445:09-room-pick 460:10-room-cheat 480:11-room-saved 515:12-puzzle \
  530:13-puzzle-swap 550:14-puzzle-solved 640:15-room-loaded 685:16-menu-english; do
  args+=(--screenshot-at "${shot%%:*}:$shots/${shot#*:}.png")
done
(cd "$run" && SDL_VIDEODRIVER=offscreen DISPLAY= "$player" --headless --frames 720 --seed 1 \
  --replay "$root/demo/tour.replay" --audio-out "$shots/tour.wav" "${args[@]}" "$@" demo.qelf)
cp "$run"/demo.ini "$shots"/settings-after-tour.ini 2>/dev/null || true
ls -1 "$shots"
