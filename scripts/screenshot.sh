#!/usr/bin/env bash
# Makes the pictures of the window in docs/: builds the window program,
# starts it under a virtual X server (Xvfb) from a scratch folder holding a
# sample settings file, and lets the program save a picture of its own window
# (VANTORA_SCREENSHOT; VANTORA_SCREENSHOT_RUN starts a run first).
#   docs/window.png           idle, sectors ticked, a quote site set
#   docs/window-site.png      a first start: no quote site yet
#   docs/window-running.png   a run in progress on the sample site (--demo)
#   scripts/screenshot.sh            builds in build/
#   BUILD_DIR=other scripts/screenshot.sh
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR="${BUILD_DIR:-build}"
scripts/setup.sh xvfb xauth
cmake -S . -B "$BUILD_DIR" -G Ninja >/dev/null
cmake --build "$BUILD_DIR" --target vantora vantora_demo_site

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# A portable copy: the program reads fnc.ini from its own folder.
cp "$BUILD_DIR/app/vantora" "$work/vantora"
cp -r "$BUILD_DIR/cli/demo-site" "$work/demo-site"
mkdir -m 700 "$work/runtime"
# Sectors 2 and 15 ticked, 33 positions in all.
category="001000000000000100000000000000000"

# picture NAME SETTINGS [ARGUMENTS...]
picture() {
  local name="$1" settings="$2"
  shift 2
  printf '%b' "$settings" >"$work/fnc.ini"
  env -u VANTORA_BASE_URL -u VANTORA_PAUSE_SCALE LANG=ja_JP.UTF-8 XDG_RUNTIME_DIR="$work/runtime" \
    VANTORA_SCREENSHOT="$PWD/docs/$name" ${RUN_TO:+VANTORA_SCREENSHOT_RUN="$RUN_TO"} \
    xvfb-run -a -s "-screen 0 800x700x24" "$work/vantora" "$@"
  echo "wrote docs/$name"
}

RUN_TO="" picture window.png \
  "[Config]\r\nCode=0\r\nCodeList=1301,7203\r\nCategory=$category\r\nBaseUrl=https://quote.example.jp\r\n"
RUN_TO="" picture window-site.png "[Config]\r\nCode=0\r\nCodeList=\r\nCategory=$category\r\n"
RUN_TO="$work/run.csv" picture window-running.png \
  "[Config]\r\nCode=1\r\nCodeList=1301,1332,1333,7203,7267\r\nCategory=$category\r\n" --demo
