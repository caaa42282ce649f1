#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer,
# runs every test (GUI tests under a virtual display), then runs each fuzz target for a short time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCVL_SANITIZE=ON -DCVL_BENCH=OFF
cmake --build build/test -j "$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
if [ -z "${CVL_SKIP_FUZZ:-}" ]; then
  cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
        -DCMAKE_CXX_COMPILER=clang++ -DCVL_FUZZ=ON -DCVL_GUI=OFF -DCVL_TESTS=OFF -DCVL_BENCH=OFF
  cmake --build build/fuzz -j "$jobs"
  (cd build/fuzz && ctest --output-on-failure -j "$jobs")
fi
(cd build/test && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j "$jobs")

# The web upload's worker thread once under ThreadSanitizer, which cannot share a build with
# AddressSanitizer: a build of its own, of that test program only.
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCVL_TSAN=ON -DCVL_GUI=OFF -DCVL_BENCH=OFF
cmake --build build/tsan -j "$jobs" --target test_document_exchange
TSAN_OPTIONS=halt_on_error=1 build/tsan/tests/document/exchange/test_document_exchange --gtest_filter='WebUpload*'
