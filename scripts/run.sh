#!/usr/bin/env bash
# Installs what is missing, builds, installs the program into build/run/stage and starts Dedov there on
# a generated sample flock (made once, in build/run/sample-flock.cvl). Arguments replace the sample:
# `bash scripts/run.sh my-flock.cvl`.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
stage="$PWD/build/run/stage"
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCVL_TESTS=OFF -DCVL_BENCH=OFF \
      -DCMAKE_INSTALL_PREFIX="$stage"
cmake --build build/run -j "$(nproc)"
# Installing also registers the shipped breed in the stage's machine-wide settings.
cmake --install build/run >/dev/null
if [ "$#" -gt 0 ]; then
    exec "$stage/bin/Dedov" "$@"
fi
sample="$PWD/build/run/sample-flock.cvl"
if [ ! -f "$sample" ]; then
    if ! build/run/tools/cvl-genflock --animals 3000 --seed 1 "$sample"; then
        echo "run.sh: the sample flock could not be made; starting without it" >&2
        exec "$stage/bin/Dedov"
    fi
fi
exec "$stage/bin/Dedov" "$sample"
