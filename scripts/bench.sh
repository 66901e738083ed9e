#!/usr/bin/env bash
# Builds the benchmarks in a Release folder (build-bench) and runs them.
#   scripts/bench.sh                 every benchmark program, then the summary
#   scripts/bench.sh FILTER          only benchmarks whose name matches FILTER (a regex)
# Environment: BENCH_MIN_TIME (seconds per benchmark, default 0.3),
#              BENCH_JOBS (build jobs, default 2).
# Results: build-bench/bench-<program>.json, and the geometric means of the
# engine against the PCRE2 interpreter and std::regex printed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

FILTER="${1:-.}"
MIN_TIME="${BENCH_MIN_TIME:-0.3}"
JOBS="${BENCH_JOBS:-2}"

scripts/setup.sh

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DVANTORA_BUILD_BENCH=ON -DVANTORA_BUILD_APP=OFF >/dev/null
programs=()
for src in bench/bench_*.cpp; do programs+=("$(basename "$src" .cpp)"); done
cmake --build build-bench -j "$JOBS" --target "${programs[@]}"

echo "machine: $(nproc) cores, load: $(cut -d' ' -f1-3 /proc/loadavg)"
for prog in "${programs[@]}"; do
  echo "=== $prog"
  build-bench/bench/"$prog" --benchmark_filter="$FILTER" --benchmark_min_time="$MIN_TIME" \
    --benchmark_out=build-bench/bench-"$prog".json --benchmark_out_format=json
done
python3 scripts/bench_summary.py build-bench/bench-*.json
