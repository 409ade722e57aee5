#!/usr/bin/env bash
# Builds ZephraEditor and starts it on the user's display, as the user who
# runs it: the build lands in this tree's build/release, the settings in that
# user's home. Only missing packages are installed as root (through sudo).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "ZephraEditor opens a window, but no display is set (DISPLAY is empty): run this from a desktop session." >&2
  exit 1
fi
# A build folder left by an earlier run as root cannot be written by a
# normal user: say so rather than fail in the middle of the build.
if [ -e build/release ] && ! [ -w build/release ]; then
  echo "build/release belongs to another user (an earlier run as root?): remove it (sudo rm -r build/release) and run this again." >&2
  exit 1
fi
bash scripts/deps.sh build
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEPHRA_TESTS=OFF -DZEPHRA_BENCH=OFF >/dev/null
cmake --build build/release --target ZephraEditor -j "$(nproc)"
exec build/release/ZephraEditor
