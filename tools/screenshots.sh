#!/usr/bin/env bash
# Takes a screenshot of each tab of the window with the demo project open, on a virtual X
# display, into docs/screenshots/. Rerun it after changing the window.
# Usage: tools/screenshots.sh [BUILD_DIR]   (default build/)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
tools/setup.sh --screenshots
[ -x "$build/src/app/lyricanvas" ] || tools/build.sh "$build"
out=docs/screenshots
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

"$build/src/app/lyricanvas-cli" import examples/demo/demo.kar -o "$work/demo.cgp" >/dev/null

# Runs inside the virtual display: start the window, then step through the tabs.
cat >"$work/shoot.sh" <<'SHOOT'
#!/usr/bin/env bash
set -euo pipefail
program="$1"; project="$2"; out="$3"
export XDG_CONFIG_HOME="$(dirname "$project")/config" XDG_DATA_HOME="$(dirname "$project")/data"
unset QT_QPA_PLATFORM
LYRICANVAS_STARTUP_REPORT=1 "$program" "$project" 2>/dev/null &
pid=$!
window=$(xdotool search --sync --name "Lyricanvas Karaoke Authoring Tool" | head -1)
sleep 1
# There is no window manager here, so the focus is given by hand.
xdotool windowfocus --sync "$window"
names=(project_handling lyrics_entry lyrics_swiping cdg_creation select_colors)
tab_x=(60 168 268 380 490)  # the middle of each tab's label on the tab strip
for i in 0 1 2 3 4; do
  xdotool mousemove --window "$window" "${tab_x[$i]}" 12 click 1
  sleep 0.7
  xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmtopng >"$out/${names[$i]}.png"
done
kill "$pid"
SHOOT
chmod +x "$work/shoot.sh"
xvfb-run -a -s "-screen 0 1280x900x24" "$work/shoot.sh" "$PWD/$build/src/app/lyricanvas" \
  "$work/demo.cgp" "$PWD/$out"
ls "$out"
