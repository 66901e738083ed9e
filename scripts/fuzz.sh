#!/usr/bin/env bash
# Builds the libFuzzer targets (tools/fuzz) with clang, ASan and UBSan into
# build-fuzz/ and runs one or both for the given number of seconds each
# (default 600) from their committed seed corpus: `regex` (the regex engine,
# the default) or `extraction` (the page extraction and the record line), or
# `both`. New inputs go to build-fuzz/corpus (regex) and
# build-fuzz/corpus-extraction, not to the committed corpora; findings
# (crash-*, timeout-*) land in build-fuzz/, those of the extraction fuzzer
# with the prefix extraction-.
#   scripts/fuzz.sh [seconds] [regex|extraction|both]
# Installs clang-14 and libclang-rt-14-dev through scripts/setup.sh when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TO_RUN="${1:-600}"
WHICH="${2:-regex}"
case "$WHICH" in
  regex | extraction | both) ;;
  *) echo "usage: scripts/fuzz.sh [seconds] [regex|extraction|both]" >&2; exit 2 ;;
esac
scripts/setup.sh clang-14 libclang-rt-14-dev
CXX_BIN="$(command -v clang++-14 || command -v clang++)"
cmake -S tools/fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER="$CXX_BIN" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cd build-fuzz
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
if [ "$WHICH" != extraction ]; then
  cmake --build . --target fuzz_regex
  mkdir -p corpus
  ./fuzz_regex -max_total_time="$SECONDS_TO_RUN" -timeout=20 -rss_limit_mb=2048 -max_len=256 \
    -print_final_stats=1 corpus ../tools/fuzz/corpus
fi
if [ "$WHICH" != regex ]; then
  cmake --build . --target fuzz_extraction
  mkdir -p corpus-extraction
  ./fuzz_extraction -max_total_time="$SECONDS_TO_RUN" -timeout=20 -rss_limit_mb=2048 -max_len=4096 \
    -artifact_prefix=extraction- -print_final_stats=1 corpus-extraction ../tools/fuzz/corpus-extraction
fi
