#!/usr/bin/env bash
# Builds ZephraEditor and starts it on the user's display.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "ZephraEditor opens a window, but no display is set (DISPLAY is empty): run this from a desktop session." >&2
  exit 1
fi
bash scripts/deps.sh build
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEPHRA_TESTS=OFF -DZEPHRA_BENCH=OFF >/dev/null
cmake --build build/release --target ZephraEditor -j "$(nproc)"
exec build/release/ZephraEditor
