#!/usr/bin/env bash
# Makes the demo game's sounds and music with sox and espeak-ng:
#   make_sounds.sh OUTDIR      (writes OUTDIR/sounds/*)
# Short effects are WAV, loops OGG (no encoder padding), the logo sounds MP3.
set -euo pipefail
out=$1/sounds
need() {  # need TOOL PACKAGE
  if ! command -v "$1" >/dev/null 2>&1; then
    echo "make_sounds.sh: '$1' is missing: install the Debian package $2 (bash scripts/deps.sh does)" >&2
    exit 1
  fi
}
need sox sox
need espeak-ng espeak-ng
if ! sox -h 2>/dev/null | grep -q ' mp3 '; then
  echo "make_sounds.sh: sox cannot write MP3: install the Debian package libsox-fmt-mp3 (bash scripts/deps.sh does)" >&2
  exit 1
fi
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
S="sox -q -n -r 44100 -c 1"

# Effects.
$S "$out/click.wav" synth 0.12 sine 880 fade 0.005 0.12 0.08 vol 0.5
$S "$out/pick.wav" synth 0.3 sine 500:1500 fade 0.01 0.3 0.1 vol 0.5
$S "$out/door.wav" synth 0.4 sine 70 sine 105 remix - fade 0.005 0.4 0.3 vol 0.8
$S "$out/swap.wav" synth 0.2 sine 660:990 fade 0.005 0.2 0.05 vol 0.5
espeak-ng -s 150 -w "$tmp/saved.wav" "saved"
sox -q "$tmp/saved.wav" -r 44100 -c 1 "$out/save.wav" norm -3
$S "$tmp/win.wav" synth 1.2 pluck C4 pluck E4 pluck G4 pluck C5 delay 0 0.08 0.16 0.24 remix - fade 0 1.2 0.5
sox -q "$tmp/win.wav" "$out/win.ogg" norm -3

# Music: plucked arpeggios over a soft pad, one bar per chord, looped by the game.
melody() {  # melody FILE SECONDS_PER_NOTE PAD_GAIN NOTES...
  local file=$1 len=$2 padgain=$3
  shift 3
  local parts=()
  local i=0
  for n in "$@"; do
    $S "$tmp/n$i.wav" synth "$len" pluck "$n" fade 0 "$len" 0.05 vol 0.35
    parts+=("$tmp/n$i.wav")
    i=$((i + 1))
  done
  sox -q "${parts[@]}" "$tmp/line.wav"
  local total
  total=$(soxi -D "$tmp/line.wav")
  $S "$tmp/pad.wav" synth "$total" sine "$1" sine "$3" tremolo 0.25 30 vol "$padgain"
  sox -q -m "$tmp/line.wav" "$tmp/pad.wav" -c 2 "$file" norm -6
}
melody "$out/menu.ogg" 0.375 0.08 A3 C4 E4 A4 E4 C4 F3 A3 C4 F4 C4 A3 G3 B3 D4 G4 D4 B3 E3 G3 B3 E4 B3 G3
melody "$out/room.ogg" 0.5 0.06 D4 F4 A4 F4 Bb3 D4 F4 D4 C4 E4 G4 E4 A3 C#4 E4 C#4
melody "$out/puzzle.ogg" 0.25 0.05 E4 G4 B4 G4 E4 G4 B4 G4 C4 E4 G4 E4 D4 F#4 A4 F#4

# Start-up logos.
$S "$tmp/chime.wav" synth 1.6 pluck C5 pluck G5 pluck C6 delay 0 0.15 0.3 remix - fade 0 1.6 0.8
sox -q "$tmp/chime.wav" -C 192 "$out/logo1.mp3" norm -3
espeak-ng -s 140 -w "$tmp/voice.wav" "Qel Player"
sox -q "$tmp/voice.wav" -r 44100 -c 1 -C 192 "$out/logo2.mp3" norm -3
