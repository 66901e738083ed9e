#!/usr/bin/env bash
# Checks that vantora-cli.exe under Wine writes the same CSV and report bytes
# as the Linux vantora-cli: one Linux quote server per site on 127.0.0.1
# serves both programs, with the pauses off. Sites: the bundled sample site
# and the test fixture site; code mode (with a code the site does not have)
# and sector mode, in Shift-JIS and in UTF-8. Needs build/ (the Linux
# programs) and build-windows/ (scripts/build-windows.sh); run by
# scripts/test-windows.sh, which sets up Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

work="$(mktemp -d)"
server_pid=""
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
export VANTORA_PAUSE_SCALE=0
unset VANTORA_BASE_URL

linux_cli="$PWD/build/cli/vantora-cli"
windows_cli="$PWD/build-windows/cli/vantora-cli.exe"
failures=0
checks=0

# compare SITE NAME ARGS...: runs both programs with ARGS and compares.
compare() {
  local name="$1"; shift
  mkdir -p "$work/linux" "$work/windows"
  local linux_code=0 windows_code=0
  (cd "$work/linux" && "$linux_cli" "$@" -o "$name.csv" 2>"$name.err") || linux_code=$?
  (cd "$work/windows" && wine "$windows_cli" "$@" -o "$name.csv" 2>"$name.err") || windows_code=$?
  checks=$((checks + 1))
  local same=yes
  [ "$linux_code" = "$windows_code" ] || same=no
  for file in "$name.csv" "$name.report.csv"; do
    cmp -s "$work/linux/$file" "$work/windows/$file" || same=no
  done
  if [ "$same" = yes ]; then
    echo "same bytes: $name (exit code $linux_code)"
  else
    failures=$((failures + 1))
    echo "DIFFERENT: $name (exit codes $linux_code and $windows_code)" >&2
    diff <(od -c "$work/linux/$name.csv" 2>&1) <(od -c "$work/windows/$name.csv" 2>&1) | head -20 >&2 || true
    cat "$work/windows/$name.err" >&2 || true
  fi
}

# serve ROOT: starts the Linux quote server on ROOT; sets base.
serve() {
  if [ -n "$server_pid" ]; then kill "$server_pid"; wait "$server_pid" 2>/dev/null || true; fi
  coproc SERVER { exec build/tools/quote_server/vantora-quote-server --root "$1"; }
  server_pid=$SERVER_PID
  read -r base <&"${SERVER[0]}"
}

serve demo/site
compare demo-codes --base-url "$base" --codes 1301,1332,1333,7203,9999
compare demo-sectors --base-url "$base" --sectors all
compare demo-sectors-utf8 --base-url "$base" --sectors 0050,3700 --encoding utf-8

serve tests/fixtures/site
compare fixture-codes --base-url "$base" --codes 1301,130A,1332,2802,4063,6758,7203,8058,9001,9434,0000
compare fixture-sectors --base-url "$base" --sectors 0050,3250,3650,3700,5250,9050
compare fixture-codes-utf8 --base-url "$base" --codes 1301,6758,9434 --encoding utf-8

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
