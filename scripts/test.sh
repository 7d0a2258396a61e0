#!/usr/bin/env bash
# Installs the dependencies, then builds and runs the whole test suite twice:
# a warnings-as-errors release build, and a build under AddressSanitizer and
# UndefinedBehaviorSanitizer. The release build also cross-builds the Windows
# plugin and runs its tests under Wine (ctest label "windows"). Then the libFuzzer
# targets (clang), each for a bounded time (VARNO_FUZZ_SECONDS, 20 by default),
# and their regression inputs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DVARNO_WERROR=ON "$@"
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" -j"$jobs" --output-on-failure
}

echo "== release build =="
run_suite build/release -DCMAKE_BUILD_TYPE=Release
echo "== the players with CMake's default generator =="
# A newcomer's plain build (Make, not Ninja): the player archive's rules reach into
# other folders' outputs, which only Ninja would find without the targets.
cmake -S . -B build/plain -DVARNO_TESTS=OFF -DVARNO_BENCH=OFF >/dev/null
cmake --build build/plain --target m68k_programs -- -j"$jobs"
echo "== sanitizer build =="
# -O1 without debug information keeps the instrumented build of the opcode handlers quick;
# assertions stay on. A build type of its own, so that no other type's flags join in.
# The Windows plugin is built and tested once, in the release build.
check_flags=(-DCMAKE_BUILD_TYPE=Check -DCMAKE_CXX_FLAGS_CHECK=-O1 -DCMAKE_C_FLAGS_CHECK=-O1)
run_suite build/sanitize "${check_flags[@]}" -DVARNO_SANITIZE=ON -DVARNO_BENCH=OFF -DVARNO_WINDOWS_TESTS=OFF
echo "== fuzz targets =="
fuzz_dir=build/fuzz-ci
cmake -S . -B "$fuzz_dir" -G Ninja "${check_flags[@]}" -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DVARNO_FUZZ=ON -DVARNO_TESTS=OFF -DVARNO_BENCH=OFF -DVARNO_WINDOWS_TESTS=OFF \
  -DVARNO_FUZZ_SECONDS="${VARNO_FUZZ_SECONDS:-20}"
# The fuzz targets alone: the plugin's shared object cannot link clang's sanitizer runtime.
cmake --build "$fuzz_dir" -j"$jobs" --target fuzz_seeds fuzz_hunk fuzz_player fuzz_plugin fuzz_catalogue
ctest --test-dir "$fuzz_dir" --output-on-failure
