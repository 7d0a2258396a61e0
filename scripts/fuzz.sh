#!/usr/bin/env bash
# Longer fuzz runs than the test suite's: builds the libFuzzer targets with clang
# (build/fuzz) and runs each for the given seconds (default 600) on a corpus kept in
# build/fuzz/corpus/<target>, which grows from run to run. What crashes, hangs or
# leaks is left as build/fuzz/findings/<target>/crash-* (timeout-*, leak-*): copy it
# to tests/fuzz/regressions/<target>/ once fixed, where the test suite replays it.
#   scripts/fuzz.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(fuzz_hunk fuzz_player fuzz_plugin fuzz_catalogue)
scripts/install-deps.sh
dir=build/fuzz
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Check -DCMAKE_CXX_FLAGS_CHECK=-O1 -DCMAKE_C_FLAGS_CHECK=-O1 \
  -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DVARNO_FUZZ=ON -DVARNO_TESTS=OFF -DVARNO_BENCH=OFF
cmake --build "$dir" -j"$(nproc)" --target fuzz_seeds "${targets[@]}"
status=0
for target in "${targets[@]}"; do
  corpus=$dir/corpus/$target findings=$dir/findings/$target
  mkdir -p "$corpus" "$findings"
  echo "== $target: $seconds s =="
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
    "$dir/tests/fuzz/$target" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 \
    -malloc_limit_mb=1024 -print_final_stats=1 -artifact_prefix="$findings/" \
    "$corpus" "$dir/tests/fuzz/seeds/$target" || status=1
done
exit $status
