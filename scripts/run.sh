#!/usr/bin/env bash
# Sets up the machine, builds the program and starts the window.
#   scripts/run.sh           against the quote site
#   scripts/run.sh --demo    against the bundled sample site, served on 127.0.0.1
#                            by the program itself (no internet needed)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build -G Ninja
cmake --build build --target vantora

if [ "${1:-}" = "--demo" ]; then
  echo "Sample site: sectors 水産・農林業 and 輸送用機器; codes 1301 1332 1333 7203 7267"
  exec build/app/vantora --demo
fi
exec build/app/vantora
