#!/usr/bin/env bash
# Builds a Release tree and an AddressSanitizer+UBSan tree and runs every test in both.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
unset DISPLAY || true
# Every run of the player records a session: keep them out of the home folder.
XDG_STATE_HOME=$(mktemp -d)
export XDG_STATE_HOME
trap 'rm -rf "$XDG_STATE_HOME"' EXIT

# Tests write only into temporary directories: the source tree (build trees
# aside) must look the same after a test run as before it.
tree_state() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    # grep finds nothing in a clean checkout; that is no failure
    git status --porcelain --ignored --untracked-files=all | { grep -v -E '^.. "?build[^/]*/' || true; } |
      while read -r state path; do
        # contents too, so that a test rewriting a file already changed is seen
        echo "$state $path $([ -f "$path" ] && sha1sum <"$path" | cut -c1-40)"
      done
  fi
}
run_tests() {
  local before after
  before=$(tree_state)
  ctest --test-dir "$1" --output-on-failure -j"$jobs"
  after=$(tree_state)
  if [ "$before" != "$after" ]; then
    echo "error: the tests in $1 left files in the source tree:" >&2
    diff <(echo "$before") <(echo "$after") >&2 || true
    exit 1
  fi
}

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$jobs"
run_tests build/release

cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DQEL_SANITIZE=ON -DQEL_BUILD_BENCH=OFF >/dev/null
cmake --build build/asan -j"$jobs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} UBSAN_OPTIONS=print_stacktrace=1
run_tests build/asan
