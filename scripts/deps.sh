#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the player need, when any is missing.
set -euo pipefail
pkgs=(build-essential cmake pkg-config libgtest-dev libsdl2-dev libsdl2-mixer-dev libsdl2-ttf-dev
  libvorbis-dev libmpg123-dev libflac-dev
  libpng-dev libjpeg62-turbo-dev libfreetype-dev libalglib-dev libstb-dev libsndfile1-dev zlib1g-dev
  libegl1 libegl-mesa0 libgl1 libglx-mesa0 libgl1-mesa-dri libgles2 fonts-dejavu-core
  xvfb xauth x11-apps imagemagick sox libsox-fmt-mp3 espeak-ng lua5.4 libssl-dev
  clang-16 libclang-rt-16-dev
  desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl man-db dpkg-dev)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
