#!/usr/bin/env bash
# Builds the libFuzzer targets (clang 16, AddressSanitizer + UBSan) in build/fuzz and runs
# each on a scratch copy of its seed corpus (the source tree stays untouched).
#   scripts/fuzz.sh [SECONDS] [TARGET...]   every target (or those named) for SECONDS each,
#                                            default 20; 0 only builds
#   scripts/fuzz.sh ci [TARGET...]          what CI runs: a fixed seed and the fixed number of
#                                            inputs per target in fuzz/ci_runs.txt (a few
#                                            seconds each), so that every run does the same
# Targets may change their working directory, so every path handed over is absolute.
# A run that finds a crash, a leak, a timeout or an out-of-memory fails, and so does the
# script; the input is kept in build/fuzz/findings/.
# QEL_FUZZ_SEED=N fixes libFuzzer's seed for timed runs (default: a fresh one each run; ci: 1).
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-20}
shift || true
ci=false
if [ "$mode" = ci ]; then
  ci=true
  seed=${QEL_FUZZ_SEED:-1}
elif ! [[ "$mode" =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/fuzz.sh [SECONDS|ci] [TARGET...]" >&2
  exit 2
else
  seed=${QEL_FUZZ_SEED:-}
fi

cxx=${QEL_FUZZ_CXX:-clang++-16}
cc=${QEL_FUZZ_CC:-clang-16}
cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQEL_FUZZ=ON \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_C_COMPILER="$cc" >/dev/null
cmake --build build/fuzz -j"$(nproc)"
[ "$mode" != 0 ] || exit 0

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(grep -v '^$' build/fuzz/fuzz/targets.txt)
fi

# The number of inputs a CI run gives a target.
ci_runs() {
  local runs
  runs=$(awk -v t="$1" '$1 == t { print $2 }' fuzz/ci_runs.txt)
  if [ -z "$runs" ]; then
    echo "fuzz: $1 has no line in fuzz/ci_runs.txt" >&2
    return 1
  fi
  echo "$runs"
}

# Same seed, same inputs only when the addresses the targets see are the same too (the fuzzer
# also learns from compared values, pointers among them): a CI run turns address
# randomisation off and keeps libFuzzer from purging the allocator and rereading its corpus
# once a second, which would move the heap and the run with it.
fixed=() steady=()
if $ci; then
  steady=(-purge_allocator_interval=-1 -reload=0)
  setarch "$(uname -m)" -R true 2>/dev/null && fixed=(setarch "$(uname -m)" -R)
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
symbolizer=/usr/lib/llvm-16/bin/llvm-symbolizer
[ -x "$symbolizer" ] && export ASAN_SYMBOLIZER_PATH=$symbolizer
findings=$PWD/build/fuzz/findings
mkdir -p "$findings"
failed=()
for t in "${targets[@]}"; do
  dict=() seeds=() length=()
  [ -f "fuzz/dict/$t.dict" ] && dict=(-dict="$PWD/fuzz/dict/$t.dict")
  [ -d "fuzz/corpus/$t" ] && seeds=("$PWD/fuzz/corpus/$t")
  if $ci; then
    runs=$(ci_runs "$t") || { failed+=("$t"); continue; }
    length=(-runs="$runs")
    echo "== $t: $runs inputs, seed $seed"
  else
    length=(-max_total_time="$mode")
    echo "== $t: $mode s"
  fi
  work=$(mktemp -d)
  start=$SECONDS
  if ! "${fixed[@]}" "build/fuzz/fuzz/$t" ${seed:+-seed="$seed"} "${length[@]}" "${steady[@]}" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$findings/$t-" "${dict[@]}" "$work" "${seeds[@]}" > "$work.log" 2>&1; then
    failed+=("$t")
    tail -n 60 "$work.log"
  else
    # the last status line: inputs run, coverage and features reached (the same on every CI run)
    grep -E '^#[0-9]+' "$work.log" | tail -n 1 | sed "s/\$/ ($((SECONDS - start)) s)/" || true
  fi
  rm -rf "$work" "$work.log"
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz targets with findings: ${failed[*]} (inputs in $findings)"
  exit 1
fi
