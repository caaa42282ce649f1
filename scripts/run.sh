#!/usr/bin/env bash
# Installs what is missing, builds, installs the program into build/run/stage and starts Dedov there.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
stage="$PWD/build/run/stage"
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCVL_TESTS=OFF -DCVL_BENCH=OFF \
      -DCMAKE_INSTALL_PREFIX="$stage"
cmake --build build/run -j "$(nproc)"
# Installing also registers the shipped breed in the stage's machine-wide settings.
cmake --install build/run >/dev/null
exec "$stage/bin/Dedov" "$@"
