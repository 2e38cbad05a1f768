#!/usr/bin/env bash
# Whole-process figures of `lyricanvas-cli create` on the benchmark's generated songs: wall time
# and peak memory (from /usr/bin/time -v) of the 4-minute song of 60 lines and the 20-minute song
# of 300 lines on four-line screens, and the ratio of their wall times.
# Usage: tools/measure_create.sh [BUILD_DIR] [RUNS]   (defaults: build, 3; the best run counts)
# Needs /usr/bin/time (Debian package "time"), which only measuring needs.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
runs="${2:-3}"
cli="$build/src/app/lyricanvas-cli"
bench="$build/bench/creation_bench"
for program in "$cli" "$bench" /usr/bin/time; do
  [ -x "$program" ] || { echo "measure_create: $program is missing" >&2; exit 1; }
done
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export QT_QPA_PLATFORM=offscreen

# Prints "wall_seconds cpu_seconds max_rss_kb" of the run with the least wall time of one song.
# The CPU time (user + system) tells a busy machine apart from a slow program.
measure() {
  local lines="$1" seconds="$2" song="$scratch/song_$1.txt" best_wall="" best_cpu="" best_rss=""
  "$bench" --write-timed-text "$song" "$lines" "$seconds"
  for _ in $(seq "$runs"); do
    /usr/bin/time -v -o "$scratch/time.txt" "$cli" create "$song" -o "$scratch/out.cdg" \
      --total "$seconds" --lines 4 --yes 2>/dev/null
    local wall cpu rss
    wall="$(awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0;
      for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s }' "$scratch/time.txt")"
    cpu="$(awk -F': ' '/(User|System) time \(seconds\)/ { s += $2 } END { print s }' \
      "$scratch/time.txt")"
    rss="$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$scratch/time.txt")"
    if [ -z "$best_wall" ] || awk -v a="$wall" -v b="$best_wall" 'BEGIN { exit !(a < b) }'; then
      best_wall="$wall"
      best_cpu="$cpu"
      best_rss="$rss"
    fi
  done
  echo "$best_wall $best_cpu $best_rss"
}

read -r wall4 cpu4 rss4 < <(measure 60 240)
read -r wall20 cpu20 rss20 < <(measure 300 1200)
printf '4-minute song (60 lines):   wall %.3f s, CPU %.3f s, max RSS %.1f MB  (targets: 0.08 s, 150 MB)\n' \
  "$wall4" "$cpu4" "$(awk -v k="$rss4" 'BEGIN { print k / 1024 }')"
printf '20-minute song (300 lines): wall %.3f s, CPU %.3f s, max RSS %.1f MB\n' \
  "$wall20" "$cpu20" "$(awk -v k="$rss20" 'BEGIN { print k / 1024 }')"
printf 'ratio 20-minute / 4-minute: %.2f  (target: at most 5)\n' \
  "$(awk -v a="$wall20" -v b="$wall4" 'BEGIN { print a / b }')"
