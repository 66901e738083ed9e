#!/usr/bin/env bash
# The Windows tests (run by scripts/test.sh --windows): cross-builds the
# programs and the regex, common, worker and cli test programs into
# build-windows/, runs every test program under Wine (its own prefix in
# build-windows/wine, no display), then compares the CSV files and reports
# vantora-cli.exe writes under Wine with those of the Linux vantora-cli, both
# against one Linux quote server on 127.0.0.1: the sample site and the test
# fixture site, code mode and sector mode; last, the native window starts
# under Wine on a virtual display (scripts/window-windows.sh --check).
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh wine wine64
scripts/build-windows.sh --tests

# The Linux programs of the comparison.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j 2 --target vantora-cli vantora-quote-server

export WINEPREFIX="$PWD/build-windows/wine"
export WINEDEBUG=-all
# No prompt to install the .NET or browser engines Wine offers.
export WINEDLLOVERRIDES="mscoree=;mshtml="
unset DISPLAY WAYLAND_DISPLAY
wineboot --init >/dev/null 2>&1
wineserver --wait

# One Wine server for all the programs, so that each start is quick. Its
# background services are started here, with nothing to inherit: started by
# the first test program they would hold that program's output open, and
# the test would never be seen to end.
wineserver --persistent=600
trap 'wineserver --kill >/dev/null 2>&1 || true' EXIT
wineboot </dev/null >/dev/null 2>&1

(cd build-windows && ctest --output-on-failure -j "$(nproc)")

scripts/windows-same-csv.sh

# The native window: it starts, a second start ends with 1, it draws itself.
scripts/window-windows.sh --check
