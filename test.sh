#!/usr/bin/env bash
# Sets up, builds and runs every test.  ./test.sh --sanitize also runs the suites under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh
export QT_QPA_PLATFORM=offscreen
export CCACHE_DIR="${CCACHE_DIR:-$PWD/.ccache}"

tools/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
(cd build && ctest --output-on-failure -j 2 --timeout 600)

# Fuzz targets: built with clang and libFuzzer, then run briefly over their seed folders.
tools/build.sh build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DLYRICANVAS_FUZZ=ON \
  -DLYRICANVAS_TESTS=OFF -DLYRICANVAS_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  seeds="fuzz/corpus/${name#fuzz_}"
  mkdir -p "build-fuzz/corpus/$name"
  echo "fuzzing $name"
  "$target" -runs=20000 -max_total_time=30 -max_len=65536 "build-fuzz/corpus/$name" ${seeds:+$([ -d "$seeds" ] && echo "$seeds")} \
    > "build-fuzz/$name.log" 2>&1 || { tail -n 40 "build-fuzz/$name.log"; exit 1; }
done

if [ "${1:-}" = "--sanitize" ]; then
  tools/build.sh build-asan -DLYRICANVAS_SANITIZE=ON -DLYRICANVAS_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
  (cd build-asan && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j 2 --timeout 900)
fi
