#!/usr/bin/env bash
# Sets up the machine, builds the program and starts the window.
#   scripts/run.sh           against the quote site
#   scripts/run.sh --demo    against the bundled sample site on 127.0.0.1
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build -G Ninja

if [ "${1:-}" != "--demo" ]; then
  cmake --build build --target vantora
  exec build/app/vantora
fi

# Demo: the local quote server on the sample pages of demo/site, in the
# background for as long as the window is open.
cmake --build build --target vantora vantora-quote-server
log=$(mktemp)
build/tools/quote_server/vantora-quote-server --root demo/site >"$log" &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -f "$log"' EXIT

# The server prints its base address as its first line once it listens.
base=""
for _ in $(seq 100); do
  base=$(head -n 1 "$log")
  [ -n "$base" ] && break
  kill -0 "$server" 2>/dev/null || break
  sleep 0.05
done
if [ -z "$base" ]; then
  echo "run.sh: the sample site did not start" >&2
  exit 1
fi
echo "Sample site at $base (sectors 水産・農林業 and 輸送用機器; codes 1301 1332 1333 7203 7267)"
status=0
VANTORA_BASE_URL="$base" build/app/vantora || status=$?
exit "$status"
