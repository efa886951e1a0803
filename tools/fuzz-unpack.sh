#!/usr/bin/env bash
# Builds the LZW decoder's fuzz target with clang (libFuzzer, ASan, UBSan)
# and runs it briefly from the seed corpus in tests/fuzz/corpus/unpack.
# New inputs go to a scratch corpus under build/, never into the repository.
# Usage: tools/fuzz-unpack.sh [SECONDS] (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."
secs="${1:-20}"
out=build/fuzz
mkdir -p "$out/corpus-unpack"
clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I. tests/fuzz/lzw_unpack_fuzz.cpp about/lzw_unpack.cpp -o "$out/lzw_unpack_fuzz"
"$out/lzw_unpack_fuzz" -max_total_time="$secs" -max_len=8192 -print_final_stats=1 \
  -artifact_prefix="$out/" "$out/corpus-unpack" tests/fuzz/corpus/unpack
