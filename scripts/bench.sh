#!/usr/bin/env bash
# Builds in Release and runs every benchmark. Each prints its figures with the ratio to a baseline
# measured in the same run ("ratio" beside "goal"). Arguments go to the Google Benchmark programs
# (for example --benchmark_filter=Open).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DCVL_BENCH=ON -DCVL_TESTS=OFF -DCVL_SANITIZE=OFF
cmake --build build/bench -j "${CVL_JOBS:-4}"
for bench in build/bench/bench/cvl_bench_*; do
  [ -f "$bench" ] && [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  if [ "$(basename "$bench")" = cvl_bench_list_sort ]; then
    "$bench"
  else
    "$bench" --benchmark_counters_tabular=true "$@"
  fi
done
