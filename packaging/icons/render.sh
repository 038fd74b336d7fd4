#!/usr/bin/env bash
# Renders the PNG icons from qelplayer.svg after the drawing changed (needs rsvg-convert,
# Debian package librsvg2-bin). The PNGs are kept in the tree so that a build needs no renderer.
set -euo pipefail
cd "$(dirname "$0")"
for size in 48 128 256; do
  rsvg-convert -w "$size" -h "$size" qelplayer.svg -o "qelplayer-$size.png"
done
