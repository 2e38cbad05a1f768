#!/usr/bin/env bash
# Installs the Debian packages that building and testing need (and, with --demo, what the demo
# needs); quick when they are present.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ ccache pkg-config
  qt6-base-dev libgl-dev qt6-multimedia-dev
  libavformat-dev libavcodec-dev libavutil-dev libswresample-dev
  libfluidsynth-dev fluid-soundfont-gm librubberband-dev
  xvfb xauth
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-liberation2 fonts-dejavu-core
  ffmpeg
)
# ./run.sh also renders the demo song's audio.
if [ "${1:-}" = "--demo" ]; then
  PACKAGES+=(python3 fluidsynth)
fi
# tools/screenshots.sh drives the window on a virtual display and captures it.
if [ "${1:-}" = "--screenshots" ]; then
  PACKAGES+=(x11-apps netpbm xdotool)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
