#!/usr/bin/env bash
# Builds the regex libFuzzer target (tools/fuzz) with clang, ASan and UBSan
# into build-fuzz/ and runs it for the given number of seconds (default 600)
# from the committed seed corpus. New inputs go to build-fuzz/corpus, not to
# the committed corpus; findings (crash-*, timeout-*) land in build-fuzz/.
#   scripts/fuzz.sh [seconds]
# Installs clang-14 and libclang-rt-14-dev through scripts/setup.sh when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TO_RUN="${1:-600}"
scripts/setup.sh clang-14 libclang-rt-14-dev
CXX_BIN="$(command -v clang++-14 || command -v clang++)"
cmake -S tools/fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER="$CXX_BIN" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-fuzz
mkdir -p build-fuzz/corpus
cd build-fuzz
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
./fuzz_regex -max_total_time="$SECONDS_TO_RUN" -timeout=20 -rss_limit_mb=2048 -max_len=256 \
  -print_final_stats=1 corpus ../tools/fuzz/corpus
