#!/usr/bin/env bash
# Installs what is missing, builds and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCVL_TESTS=ON -DCVL_BENCH=OFF
cmake --build build/run -j "$(nproc)"
if [ -x build/run/shell/Dedov ]; then
  exec build/run/shell/Dedov "$@"
fi
echo "The program Dedov is not built yet; running the platform smoke check instead."
exec build/run/tests/test_platform --gtest_brief=1
