#!/usr/bin/env bash
# Builds ZephraEditor and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh build
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEPHRA_TESTS=OFF -DZEPHRA_BENCH=OFF >/dev/null
if cmake --build build/release --target help | grep -q '^ZephraEditor:'; then
  cmake --build build/release --target ZephraEditor -j "$(nproc)"
  exec build/release/ZephraEditor "$@"
fi
cmake --build build/release -j "$(nproc)"
echo "Built the editor's libraries; this build has no ZephraEditor window to start yet." >&2
