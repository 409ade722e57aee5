#!/usr/bin/env bash
# Installs the Debian packages a task needs, only when one is missing:
# through sudo for a normal user, as it is for root.
# Usage: scripts/deps.sh build|test
set -euo pipefail

build_pkgs=(g++ cmake ninja-build pkg-config
  libpng-dev zlib1g-dev librtmidi-dev librtaudio-dev
  libgtk-3-dev libepoxy-dev libcairo2-dev libpango1.0-dev fonts-dejavu-core
  libcurl4-openssl-dev nlohmann-json3-dev libxml2-dev xdg-utils)
test_pkgs=(googletest libgtest-dev libgmock-dev libbenchmark-dev libpixman-1-dev
  clang libclang-rt-14-dev
  jackd2 libjack-jackd2-dev xvfb xauth x11-apps x11-utils xdotool openbox imagemagick openssl python3 procps
  libgl1-mesa-dri dbus-daemon dbus-session-bus-common)

case "${1:-build}" in
  build)
    wanted=("${build_pkgs[@]}")
    # Without an ALSA sequencer the editor's MIDI ports are a JACK server's,
    # which the user starts (the README's first step).
    [ -e /dev/snd/seq ] || wanted+=(jackd2)
    ;;
  test)  wanted=("${build_pkgs[@]}" "${test_pkgs[@]}") ;;
  *) echo "usage: $0 build|test" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "Missing packages: ${missing[*]}" >&2
      echo "Install them as root (apt-get install ${missing[*]}), or install sudo, and run this again." >&2
      exit 1
    fi
    as_root=(sudo)
    echo "Installing through sudo: ${missing[*]}"
  else
    echo "Installing: ${missing[*]}"
  fi
  # env carries the setting through sudo, which clears the environment.
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
