#!/usr/bin/env bash
# Builds the libFuzzer targets (clang 16, AddressSanitizer + UBSan) in build/fuzz and runs
# each for a while on a scratch copy of its seed corpus (the source tree stays untouched).
#   scripts/fuzz.sh [SECONDS] [TARGET...]      default: 20 seconds, every target; 0 only builds
# Targets may change their working directory, so every path handed over is absolute.
# A run that finds a crash, a leak or a timeout fails; the input is kept in build/fuzz/findings/.
# QEL_FUZZ_SEED=N fixes libFuzzer's seed (default: a fresh one each run).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true

cxx=${QEL_FUZZ_CXX:-clang++-16}
cc=${QEL_FUZZ_CC:-clang-16}
cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQEL_FUZZ=ON \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_C_COMPILER="$cc" >/dev/null
cmake --build build/fuzz -j"$(nproc)"
[ "$seconds" -gt 0 ] || exit 0

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(grep -v '^$' build/fuzz/fuzz/targets.txt)
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
symbolizer=/usr/lib/llvm-16/bin/llvm-symbolizer
[ -x "$symbolizer" ] && export ASAN_SYMBOLIZER_PATH=$symbolizer
findings=$PWD/build/fuzz/findings
mkdir -p "$findings"
failed=()
for t in "${targets[@]}"; do
  work=$(mktemp -d)
  dict=() seeds=()
  [ -f "fuzz/dict/$t.dict" ] && dict=(-dict="$PWD/fuzz/dict/$t.dict")
  [ -d "fuzz/corpus/$t" ] && seeds=("$PWD/fuzz/corpus/$t")
  echo "== $t: ${seconds} s"
  if ! "build/fuzz/fuzz/$t" ${QEL_FUZZ_SEED:+-seed="$QEL_FUZZ_SEED"} -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$findings/$t-" "${dict[@]}" "$work" "${seeds[@]}" > "$work.log" 2>&1; then
    failed+=("$t")
    tail -n 60 "$work.log"
  else
    grep -E '^stat::number_of_executed_units|^Done' "$work.log" || true
  fi
  rm -rf "$work" "$work.log"
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz targets with findings: ${failed[*]} (inputs in $findings)"
  exit 1
fi
