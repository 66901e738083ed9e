#!/usr/bin/env bash
# Sets up the machine, configures, builds and runs every test with CTest.
#   scripts/test.sh              normal build in build/
#   scripts/test.sh --sanitize   address + undefined-behaviour sanitizers in build-sanitize/
#   scripts/test.sh --tsan       thread sanitizer in build-tsan/: builds and runs only the
#                                tests with threads (the thread class, the regex engine's
#                                shared programs, the job, the window)
#   scripts/test.sh --windows    cross-builds the Windows programs and the regex, common,
#                                worker and cli tests in build-windows/ (scripts/build-windows.sh),
#                                runs the tests under Wine, and checks that vantora-cli.exe writes
#                                the same bytes as the Linux program (scripts/windows-same-csv.sh)
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

SANITIZE=OFF
TSAN=OFF
BUILD_DIR=build
# Release compiles fastest; the sanitizer build keeps line tables for its reports.
BUILD_TYPE=Release
for arg in "$@"; do
  case "$arg" in
    --sanitize) SANITIZE=ON; BUILD_DIR=build-sanitize; BUILD_TYPE=Sanitize ;;
    --tsan) TSAN=ON; BUILD_DIR=build-tsan; BUILD_TYPE=Sanitize ;;
    --windows) exec scripts/test-windows.sh ;;
    *) echo "usage: scripts/test.sh [--sanitize | --tsan | --windows]" >&2; exit 2 ;;
  esac
done

scripts/setup.sh

cmake -S . -B "$BUILD_DIR" -G Ninja \
  -DVANTORA_SANITIZE="$SANITIZE" -DVANTORA_TSAN="$TSAN" -DCMAKE_BUILD_TYPE="$BUILD_TYPE"

# The thread sanitizer run: the test programs of the thread class, the regex
# engine's threads, the job and the window, its behaviour under the fake
# view included (with the programs and the sample site they start).
TSAN_TARGETS=(common_test_thread regex_test_threads vantora vantora_demo_site)
for test_source in tests/worker/test_*.cpp tests/app/test_*.cpp tests/app_behaviour/test_*.cpp; do
  folder="$(basename "$(dirname "$test_source")")"
  TSAN_TARGETS+=("${folder}_$(basename "$test_source" .cpp)")
done
if [ "$TSAN" = ON ]; then
  cmake --build "$BUILD_DIR" --target "${TSAN_TARGETS[@]}"
else
  cmake --build "$BUILD_DIR"
fi

export QT_QPA_PLATFORM=offscreen
export VANTORA_PAUSE_SCALE=0
if [ "$SANITIZE" = ON ]; then
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1"
  export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi
cd "$BUILD_DIR"
if [ "$TSAN" = ON ]; then
  # Any report fails the test that caused it. Accesses made inside libraries not
  # built with the sanitizer (Qt, glib, cpp-httplib) are not checked: their own
  # locks are invisible to it, so it would report their hand-overs as races.
  export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1"
  ctest --output-on-failure -j "$(nproc)" -L "^(worker|app|app_behaviour)\$"
  # The thread class's and the regex engine's thread tests, by name: the other
  # test programs of their folders are not built here.
  ctest --output-on-failure -L "^(common|regex)\$" -R "^(Thread|Threads)\."
else
  ctest --output-on-failure -j "$(nproc)"
fi
