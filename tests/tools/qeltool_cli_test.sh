#!/usr/bin/env bash
# qeltool as authors use it: exit codes, messages and round trips.
set -u
tool=$1 demo=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fails=0 passes=0
check() {  # check NAME CONDITION...
  local name=$1; shift
  if "$@"; then passes=$((passes + 1)); else echo "FAILED: $name"; fails=$((fails + 1)); fi
}

"$tool" pack "$demo" -o "$dir/demo.qelf"
check "pack succeeds" test $? -eq 0
"$tool" dump "$dir/demo.qelf" > "$dir/demo.txt"
check "dump succeeds" test $? -eq 0
"$tool" pack "$dir/demo.txt" -o "$dir/again.qelf"
check "dump packs back to the same bytes" cmp -s "$dir/demo.qelf" "$dir/again.qelf"

head -c 700 "$dir/demo.qelf" > "$dir/cut.qelf"
"$tool" dump "$dir/cut.qelf" > "$dir/cut.txt" 2> "$dir/cut.err"
check "truncated file exits 2" test $? -eq 2
check "truncated file names an offset" grep -q "offset [0-9]" "$dir/cut.err"
check "truncated file still prints what it read" grep -q 'Id = "Qel Demo"' "$dir/cut.txt"

printf 'TQelDB {\n  Key = 1\n  Id = 5\n}\n' > "$dir/bad.txt"
"$tool" pack "$dir/bad.txt" -o "$dir/bad.qelf" 2> "$dir/bad.err"
check "bad text exits 2" test $? -eq 2
check "bad text names its line" grep -q "line 3" "$dir/bad.err"
check "nothing written for bad text" test ! -e "$dir/bad.qelf"

# A state stream: key 3, "TAG", S, "hello"; then one cut short.
printf '\x03\x00\x00\x00\x03\x00\x00\x00TAGS\x05\x00\x00\x00hello' > "$dir/state.sav"
"$tool" state "$dir/state.sav" --game "$dir/demo.qelf" > "$dir/state.txt"
check "state lists records" grep -q $'^3\tDoor <TQelImage #3>\tTAG\tS\t"hello"$' "$dir/state.txt"
printf '\x03\x00\x00\x00\x03\x00\x00\x00VISI' >> "$dir/state.sav"
"$tool" state "$dir/state.sav" > "$dir/state2.txt" 2> /dev/null
check "cut state stream exits 2" test $? -eq 2
check "cut state stream lists what came before" grep -q "hello" "$dir/state2.txt"

"$tool" frobnicate 2> /dev/null
check "unknown command exits 2" test $? -eq 2
"$tool" dump "$dir/missing.qelf" 2> /dev/null
check "missing file exits 2" test $? -eq 2

echo "$passes passed, $fails failed"
[ "$fails" -eq 0 ]
