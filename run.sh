#!/usr/bin/env bash
# Sets up and builds Lyricanvas, then
# - on a desktop (DISPLAY or WAYLAND_DISPLAY set): opens the window on the project given as the
#   first argument, or on the bundled demo song;
# - without a display: runs the demo pipeline headless, writing the demo's project, .cdg, .bin
#   and a contact sheet of its frames into out/.
# Usage: ./run.sh [PROJECT.cgp]
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh --demo
export CCACHE_DIR="${CCACHE_DIR:-$PWD/.ccache}"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  tools/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
  project="${1:-}"
  if [ -z "$project" ]; then
    mkdir -p out
    [ -f out/demo.cgp ] ||
      QT_QPA_PLATFORM=offscreen build/src/app/lyricanvas-cli import examples/demo/demo.kar -o out/demo.cgp
    project=out/demo.cgp
  fi
  exec build/src/app/lyricanvas "$project"
fi
export QT_QPA_PLATFORM=offscreen
tools/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
examples/demo/make_demo.sh build/src/app/lyricanvas-cli out
echo
echo "No display here, so the demo ran without the window. On a desktop, ./run.sh opens the"
echo "window on the demo project; or start it yourself: build/src/app/lyricanvas out/demo.cgp"
