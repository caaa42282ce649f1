#!/usr/bin/env bash
# Installs what is missing, builds, installs the program into build/run/stage and starts Dedov there.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
stage="$PWD/build/run/stage"
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCVL_TESTS=OFF -DCVL_BENCH=OFF \
      -DCMAKE_INSTALL_PREFIX="$stage"
cmake --build build/run -j "$(nproc)"
cmake --install build/run >/dev/null
# The machine-wide settings live under the stage, with the shipped breed registered.
export CVL_MACHINE_CONFIG_DIR="${CVL_MACHINE_CONFIG_DIR:-$stage/etc/Velmora/Corvalen/1.0}"
build/run/breeds/cvl-register-breed "General Sheep" "$PWD/build/run/breeds/generalsheep.so"
exec "$stage/bin/Dedov" "$@"
