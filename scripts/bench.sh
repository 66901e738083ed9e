#!/usr/bin/env bash
# Builds the benchmarks in a Release folder (build-bench) and runs them.
#   scripts/bench.sh                 every benchmark program, then the summary
#   scripts/bench.sh FILTER          only benchmarks whose name matches FILTER (a regex)
#   scripts/bench.sh --verify [N]    no timing: the regex engine's automaton on vs off over
#                                    N generated cases (default 100000), then the corpus,
#                                    differential and optimisation tests with it off
# VANTORA_REGEX_AUTOMATON=off in the environment runs the engine without its
# automaton (the backtracking scan alone), for before/after comparisons.
# Environment: BENCH_MIN_TIME (seconds per benchmark, default 0.3),
#              BENCH_JOBS (build jobs, default 2).
# Results: build-bench/bench-<program>.json, and the geometric means of the
# engine against the PCRE2 interpreter and std::regex printed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

VERIFY=0
if [ "${1:-}" = "--verify" ]; then
  VERIFY=1
  shift
fi
FILTER="${1:-.}"
MIN_TIME="${BENCH_MIN_TIME:-0.3}"
JOBS="${BENCH_JOBS:-2}"

scripts/setup.sh

# The peers that search UTF-8 (Hyperscan is packaged for amd64 only).
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
peers=(libre2-dev)
[ "$(dpkg --print-architecture)" = amd64 ] && peers+=(libhyperscan-dev)
missing=()
for pkg in "${peers[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
if [ "${#missing[@]}" -gt 0 ]; then
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ "$VERIFY" = 1 ]; then
  CASES="${1:-100000}"
  cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVANTORA_BUILD_BENCH=ON -DVANTORA_BUILD_APP=OFF >/dev/null
  tests=(regex_test_corpus regex_test_differential_pcre2 regex_test_optimize regex_test_optimize_corpus)
  cmake --build build-bench -j "$JOBS" --target verify_automaton "${tests[@]}"
  build-bench/bench/verify_automaton "$CASES"
  for t in "${tests[@]}"; do
    echo "=== $t with the automaton off"
    VANTORA_REGEX_AUTOMATON=off build-bench/tests/"$t" --gtest_brief=1
  done
  exit 0
fi

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
