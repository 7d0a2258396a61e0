#!/usr/bin/env bash
# The main job. Until the command line plays modules, it builds Varno and runs its 68000
# core over the recorded chip behaviour in ../shared/m68000-vectors.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/demo -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNO_TESTS=OFF -DVARNO_BENCH=OFF > /dev/null
cmake --build build/demo -j"$(nproc)" --target varno-vectors
build/demo/tools/varno-vectors "${1:-../shared/m68000-vectors}"
