#!/usr/bin/env bash
# One bounded fuzz run: target, working corpus folder (emptied first), seed
# folder, seconds. Crashes, leaks and hangs fail the test; the input that caused
# one is left in the working folder as crash-*, leak-* or timeout-*.
set -euo pipefail
target=$1 work=$2 seeds=$3 seconds=$4
rm -rf "$work"
mkdir -p "$work/corpus"
# An input may run a few routines to their cycle bound; 60 s is far beyond that.
exec "$target" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
  -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" "$seeds"
