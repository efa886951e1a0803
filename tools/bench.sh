#!/usr/bin/env bash
# Builds the benchmarks in a Release build without sanitizers (build/bench)
# and runs every benchmark program found there, or only those whose name
# matches $1 (e.g. tools/bench.sh about). Extra arguments go to Google
# Benchmark (e.g. --benchmark_repetitions=5).
set -euo pipefail
cd "$(dirname "$0")/.."
filter="${1:-}"
[ $# -gt 0 ] && shift
cmake -S . -B build/bench -DPELLAM_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
targets=$(cmake --build build/bench --target help | sed -n 's/^\.\.\. \([A-Za-z0-9_]*_bench\).*/\1/p')
cmake --build build/bench -j2 --target $targets >/dev/null
for exe in $(find build/bench/bench -type f -executable -name '*_bench' | sort); do
  name=$(basename "$exe")
  [ -n "$filter" ] && [[ "$name" != *"$filter"* ]] && continue
  echo "== $name"
  "$exe" "$@"
done
