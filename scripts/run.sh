#!/usr/bin/env bash
# Sets up the machine, builds the program and starts the window.
#   scripts/run.sh           against the quote site
#   scripts/run.sh --demo    against the bundled sample site on 127.0.0.1
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build -G Ninja
cmake --build build --target vantora

if [ "${1:-}" = "--demo" ]; then
  exec build/app/vantora --demo
fi
exec build/app/vantora
