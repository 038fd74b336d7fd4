#!/usr/bin/env bash
# Every option a program's --help lists is described in its manual page.
#   man_covers_help.sh MANDIR PROGRAM...   (the page of PROGRAM is MANDIR/NAME.1)
set -u
mandir=$1
shift
missing=0
for program in "$@"; do
  name=$(basename "$program")
  page=$mandir/$name.1
  if ! help=$("$program" --help); then
    echo "$name --help failed"
    missing=1
    continue
  fi
  # The page writes an option's hyphens as \-.
  text=$(sed 's/\\-/-/g' "$page") || { missing=1; continue; }
  for option in $(grep -oE -- '--[a-z][a-z0-9-]*' <<<"$help" | sort -u); do
    if ! grep -qE -- "${option}([^a-z0-9-]|\$)" <<<"$text"; then
      echo "$name --help lists $option, which its manual page packaging/man/$name.1 does not describe"
      missing=1
    fi
  done
done
exit $missing
