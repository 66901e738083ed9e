#!/usr/bin/env bash
# Peak memory of a whole vantora-cli run against a page far larger than the
# page size limit: the local quote server sends a body of SIZE bytes
# (default 200 MB) for one company, and GNU time reports the run's maximum
# resident set size, with the limit (20 MB) and three times the limit beside.
#   bench/page_memory.sh [SIZE]     (uses the programs in build/)
set -euo pipefail
cd "$(dirname "$0")/.."
SIZE="${1:-200000000}"
scripts/setup.sh time
[ -x build/cli/vantora-cli ] || { cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release && cmake --build build; }
work="$(mktemp -d)"
trap 'kill "$server" 2>/dev/null || true; rm -rf "$work"' EXIT
build/tools/quote_server/vantora-quote-server --root demo/site \
  --fault "/quote/9001/profile=large:$SIZE" --fault "/quote/9002/profile=large:$SIZE" >"$work/url" &
server=$!
for _ in $(seq 100); do [ -s "$work/url" ] && break; sleep 0.05; done
url="$(head -1 "$work/url")"
VANTORA_PAUSE_SCALE=0 /usr/bin/time -v build/cli/vantora-cli --codes 9001,1301,9002 -o "$work/out.csv" \
  --base-url "$url" 2>"$work/time" >/dev/null || true
rss_kb="$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time")"
echo "body: $SIZE bytes a page; page size limit: 20 MB"
echo "peak resident memory of the run: $((rss_kb / 1024)) MB (three times the limit: 60 MB)"
grep -o '"too-large"' "$work/out.report.csv" | wc -l | sed 's/^/pages cut at the limit: /'
