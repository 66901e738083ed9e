#!/usr/bin/env bash
# The long-run soak: builds vantora-cli and the local quote server in the
# Release folder (build-bench) and runs bench/soak.py, a run over every
# sector of a generated site of about 4,000 companies under random faults,
# killed twice and resumed, then retried until every company is ok.
#   scripts/soak.sh [--per-sector N] [--rate R] [--seed S]
# Prints the companies lost and doubled (both must be 0), the wall time and
# the CLI's peak memory; exits non-zero when a company was lost or doubled.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTORA_BUILD_APP=OFF >/dev/null
cmake --build build-bench -j "${BENCH_JOBS:-2}" --target vantora-cli vantora-quote-server
python3 bench/soak.py --cli build-bench/cli/vantora-cli \
  --server build-bench/tools/quote_server/vantora-quote-server "$@"
