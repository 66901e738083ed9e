#!/usr/bin/env bash
# Makes docs/window.png: builds the window program, starts it under a virtual
# X server (Xvfb) from a scratch folder holding a sample settings file, and
# lets the program save a picture of its own window (VANTORA_SCREENSHOT).
#   scripts/screenshot.sh            builds in build/
#   BUILD_DIR=other scripts/screenshot.sh
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR="${BUILD_DIR:-build}"
scripts/setup.sh xvfb xauth
cmake -S . -B "$BUILD_DIR" -G Ninja >/dev/null
cmake --build "$BUILD_DIR" --target vantora

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The program reads fnc.ini from its own folder: run a copy with a sample.
cp "$BUILD_DIR/app/vantora" "$work/vantora"
# Sectors 2 and 15 ticked, 33 positions in all.
category="001000000000000100000000000000000"
printf '[Config]\r\nCode=0\r\nCodeList=1301,7203\r\nCategory=%s\r\n' "$category" >"$work/fnc.ini"
mkdir -m 700 "$work/runtime"

XDG_RUNTIME_DIR="$work/runtime" VANTORA_SCREENSHOT="$PWD/docs/window.png" \
  xvfb-run -a -s "-screen 0 800x600x24" "$work/vantora"
echo "wrote docs/window.png"
