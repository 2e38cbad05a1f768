#!/usr/bin/env bash
# Sets up, builds and runs Lyricanvas on the bundled demo: writes the demo's .cdg and .bin into
# out/ and a preview of its frames.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh --demo
export QT_QPA_PLATFORM=offscreen
export CCACHE_DIR="${CCACHE_DIR:-$PWD/.ccache}"
tools/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
examples/demo/make_demo.sh build/src/app/lyricanvas-cli out
