#!/usr/bin/env bash
# The main job: installs what Varno needs, builds the command line and the default
# player archive, makes a ProTracker song of the project's own (samples and
# patterns synthesised by varno-modgen), renders it through our ProTracker player
# to a WAV file and describes it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=build/demo
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNO_TESTS=OFF -DVARNO_BENCH=OFF > /dev/null
cmake --build "$build" -j"$(nproc)" --target varno default_player_archive varno-modgen
"$build/tools/varno-modgen" "$build/songs" > /dev/null
"$build/bin/varno" render "$build/songs/demo.mod" --force -o "$build/demo.wav"
"$build/bin/varno" info "$build/songs/demo.mod"
echo
echo "Rendered: $(pwd)/$build/demo.wav"
