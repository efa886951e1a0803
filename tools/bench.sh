#!/usr/bin/env bash
# Builds the benchmarks in a Release build without sanitizers (build/bench)
# and runs them; arguments go to Google Benchmark.
#   tools/bench.sh --benchmark_filter=about
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DPELLAM_SANITIZE=OFF >/dev/null
cmake --build build/bench -j2 --target music_bench >/dev/null
exec build/bench/bench/music/music_bench "$@"
