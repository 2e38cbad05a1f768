#!/usr/bin/env bash
# Runs the whole pipeline on the demo song: the karaoke MIDI file becomes a project, its audio
# is rendered with FluidSynth, and the project becomes a .cdg, a .bin image and a contact sheet.
# Usage: make_demo.sh PATH/TO/lyricanvas-cli OUTPUT_DIR
set -euo pipefail
cli="$1"
out="$2"
here="$(cd "$(dirname "$0")" && pwd)"
mkdir -p "$out"

soundfont=/usr/share/sounds/sf2/FluidR3_GM.sf2
kar="$here/demo.kar"

echo "== rendering the demo song's audio"
fluidsynth -ni -q -F "$out/demo.wav" -r 44100 -T wav -O s16 "$soundfont" "$kar" >/dev/null

echo "== importing $kar"
"$cli" import "$kar" -o "$out/demo.cgp"
"$cli" info "$out/demo.cgp"

echo "== writing $out/demo.cdg and $out/demo.bin"
"$cli" create "$out/demo.cgp" -o "$out/demo.cdg" --wav "" --total 0:40 --yes
"$cli" create "$out/demo.cgp" -o "$out/demo.bin" --wav "$out/demo.wav" --yes

echo "== previewing"
"$cli" frame "$out/demo.cdg" --every 2 -o "$out/demo_frames.png"
echo "Done: $out/demo.cgp, $out/demo.cdg, $out/demo.bin, $out/demo_frames.png"
