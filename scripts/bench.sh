#!/usr/bin/env bash
# Builds in Release and runs every benchmark. Each prints its figures with the ratio to a baseline
# measured in the same run ("ratio" beside "goal"). Arguments go to the Google Benchmark programs
# (for example --benchmark_filter=Open).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DCVL_BENCH=ON -DCVL_TESTS=OFF -DCVL_GUI=ON -DCVL_SANITIZE=OFF
jobs="${CVL_JOBS:-4}"
cmake --build build/bench -j "$jobs" --target cvl_bench_file cvl_bench_memory cvl_bench_sort cvl_bench_exchange
# The flock list's benchmark needs the GUI libraries; the others run without it.
if ! cmake --build build/bench -j "$jobs" --target cvl_bench_list_sort; then
  echo "bench.sh: the flock list's benchmark did not build; running the others" >&2
  rm -f build/bench/bench/cvl_bench_list_sort
fi
for bench in build/bench/bench/cvl_bench_*; do
  [ -f "$bench" ] && [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  if [ "$(basename "$bench")" = cvl_bench_list_sort ]; then
    "$bench"
  else
    "$bench" --benchmark_counters_tabular=true "$@"
  fi
done
