#!/usr/bin/env bash
# Builds everything and plays the bundled demo game. Until the player shell
# exists this packs the demo and prints it back as text.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$(nproc)"
./build/release/tools/qeltool dump build/release/demo/demo.qelf
