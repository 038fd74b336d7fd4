#!/bin/bash
# The demo game as the build makes it must lint clean. Problems (warnings
# too) the demo is known to have (listed one a line in KNOWN, to be emptied as the demo grows)
# are shown but tolerated; any other problem, or a crash, fails.
# usage: lint_demo_test.sh QELTOOL DEMO.qelf KNOWN
set -u
qeltool=$1 game=$2 known=$3
out=$("$qeltool" lint "$game")
status=$?
if [ $status -ne 0 ] && [ $status -ne 1 ]; then
  echo "qeltool lint exited with $status"
  exit 1
fi
# Warnings alone leave the exit status clean; any other line must not.
if [ $status -eq 0 ] && grep -v -e '^$' -e '^[^:]*: warning: ' <<< "$out" | grep -q .; then
  echo "clean exit status but problems:"; echo "$out"; exit 1
fi
fail=0
while IFS= read -r line; do
  [ -z "$line" ] && continue
  if grep -qxF -- "$line" "$known"; then
    echo "known: $line"
  else
    echo "new problem: $line"
    fail=1
  fi
done <<< "$out"
exit $fail
