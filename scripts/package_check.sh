#!/usr/bin/env bash
# Checks what a desktop and Debian see of the player: installs the built tree into a
# temporary folder and validates the menu entry, the software-centre description, the
# game file's type, the icons, the manual pages and the completions; then builds the
# .deb, installs it with apt, runs the installed player and removes the package again.
#   scripts/package_check.sh [BUILD_DIR]    (default build/release, built already)
# Installing needs root (CI runs as root); without it that part is skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
app_id=org.qelplayer.QelPlayer
mime_type=application/x-qel-game
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "package check: $*" >&2
  failures=$((failures + 1))
}

root=$work/root
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
share=$root/usr/share
bin=$root/usr/bin

# The programs, and one version everywhere it is written.
version=$("$bin/qelplayer" --version) || fail "the installed qelplayer --version failed"
number=${version#qelplayer }
for tool in qeltool qelscript; do
  [ "$("$bin/$tool" --version)" = "$tool $number" ] || fail "$tool --version is not $tool $number"
done
grep -q "<release version=\"$number\"" "$share/metainfo/$app_id.metainfo.xml" ||
  fail "the newest release of $app_id.metainfo.xml is not $number"
for page in qelplayer qeltool qelscript; do
  grep -q "^\.TH .*\"Qel Player $number\"" "$share/man/man1/$page.1" || fail "$page.1 does not name version $number"
done

desktop-file-validate "$share/applications/$app_id.desktop" || fail "desktop-file-validate"
grep -qx "Exec=qelplayer %f" "$share/applications/$app_id.desktop" || fail "the menu entry does not open a file"
appstreamcli validate --no-net "$share/metainfo/$app_id.metainfo.xml" || fail "appstreamcli validate"

# The game file's type, by its name and by its leading bytes, in a data folder of its own.
data=$work/data
mkdir -p "$data/mime/packages" "$work/home"
cp "$share/mime/packages/$app_id.xml" "$data/mime/packages/"
update-mime-database "$data/mime" >/dev/null 2>&1 || fail "update-mime-database"
demo=$build/demo/demo.qelf
cp "$demo" "$work/demo.qelf"
cp "$demo" "$work/renamed-game"
for file in demo.qelf renamed-game; do
  type=$(env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION XDG_DATA_DIRS="$data" XDG_DATA_HOME="$work/home" \
    xdg-mime query filetype "$work/$file") || true
  [ "$type" = "$mime_type" ] || fail "xdg-mime names $file '$type', not $mime_type"
done

# Icons: every size where the theme looks for it, each PNG as large as its folder says.
[ -f "$share/icons/hicolor/scalable/apps/$app_id.svg" ] || fail "no scalable icon"
for size in 48 128 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/$app_id.png
  # Width and height are the big-endian words at bytes 16 and 20.
  dims=$(od -An -tu1 -j16 -N8 "$png" 2>/dev/null | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$dims" = "${size}x${size}" ] || fail "$png is '$dims', not ${size}x${size}"
done

# Manual pages: no warning from the formatter, and every option --help lists.
for page in "$share"/man/man1/*.1; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
bash tests/packaging/man_covers_help.sh "$share/man/man1" "$bin/qelplayer" "$bin/qeltool" "$bin/qelscript" ||
  fail "a manual page misses options"

for program in qelplayer qeltool qelscript; do
  completion=$share/bash-completion/completions/$program
  bash -c "source '$completion' && complete -p $program" >/dev/null || fail "the completion of $program"
done

# The Debian package.
(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null) || fail "cpack -G DEB"
deb=$(ls "$work"/deb/qelplayer_*.deb 2>/dev/null | head -n 1)
if [ -z "$deb" ]; then
  fail "no .deb was made"
else
  dpkg-deb --info "$deb" >"$work/info" || fail "dpkg-deb --info"
  dpkg-deb --contents "$deb" >"$work/contents" || fail "dpkg-deb --contents"
  depends=$(dpkg-deb --field "$deb" Depends)
  for needed in libsdl2 libpng fonts-dejavu-core libegl1 libgl1; do
    grep -q "$needed" <<<"$depends" || fail "the package does not depend on $needed: $depends"
  done
  for file in usr/bin/qelplayer usr/bin/qeltool usr/bin/qelscript usr/share/applications/$app_id.desktop \
    usr/share/mime/packages/$app_id.xml usr/share/man/man1/qelplayer.1; do
    grep -q " \./$file\$" "$work/contents" || fail "the package lacks /$file"
  done
  if [ "$(id -u)" -ne 0 ]; then
    echo "package check: not root, so the package was not installed" >&2
  else
    # One check at a time may own the system's package.
    exec 9>/tmp/qelplayer-package-check.lock
    flock 9
    if dpkg-query -W -f='${Status}' qelplayer 2>/dev/null | grep -q "ok installed"; then
      fail "qelplayer is installed on this machine already; remove it to check the package"
    else
      apt_install() { DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$deb" >"$work/apt" 2>&1; }
      if apt_install || { apt-get update -q >/dev/null && apt_install; }; then
        [ "$(/usr/bin/qelplayer --version)" = "$version" ] || fail "the installed /usr/bin/qelplayer --version"
        (cd "$work" && env -u DISPLAY SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
          /usr/bin/qelplayer --headless --skip-logos --frames 3 demo.qelf >/dev/null 2>&1) ||
          fail "the installed player does not play the demo"
        DEBIAN_FRONTEND=noninteractive apt-get purge -y -q qelplayer >/dev/null 2>&1 || fail "apt-get purge qelplayer"
        left=$(awk '$1 !~ /^d/ {print substr($6, 2)}' "$work/contents" | while read -r f; do
          if [ -e "$f" ]; then echo "$f"; fi; done)
        [ -z "$left" ] || fail "removing the package left $left"
      else
        cat "$work/apt" >&2
        fail "apt-get install $deb"
      fi
    fi
    flock -u 9
  fi
fi

if [ "$failures" -gt 0 ]; then
  echo "package check: $failures failed" >&2
  exit 1
fi
echo "package check: passed ($(basename "${deb:-none}"))"
