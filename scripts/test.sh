#!/usr/bin/env bash
# Sets up the machine, configures, builds and runs every test with CTest.
#   scripts/test.sh              normal build in build/
#   scripts/test.sh --sanitize   address + undefined-behaviour sanitizers in build-sanitize/
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

SANITIZE=OFF
BUILD_DIR=build
# Release compiles fastest; the sanitizer build keeps line tables for its reports.
BUILD_TYPE=Release
for arg in "$@"; do
  case "$arg" in
    --sanitize) SANITIZE=ON; BUILD_DIR=build-sanitize; BUILD_TYPE=Sanitize ;;
    *) echo "usage: scripts/test.sh [--sanitize]" >&2; exit 2 ;;
  esac
done

scripts/setup.sh

cmake -S . -B "$BUILD_DIR" -G Ninja \
  -DVANTORA_SANITIZE="$SANITIZE" -DCMAKE_BUILD_TYPE="$BUILD_TYPE"
cmake --build "$BUILD_DIR"

export QT_QPA_PLATFORM=offscreen
export VANTORA_PAUSE_SCALE=0
if [ "$SANITIZE" = ON ]; then
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1"
  export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi
cd "$BUILD_DIR"
ctest --output-on-failure -j "$(nproc)"
