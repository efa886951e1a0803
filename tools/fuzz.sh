#!/usr/bin/env bash
# Builds the XM loader fuzz target with clang (libFuzzer, ASan, UBSan) in
# build/fuzz and runs it on a copy of tests/fuzz/corpus.
#   tools/fuzz.sh                 a short smoke run (20 s)
#   tools/fuzz.sh ARGS...         libFuzzer arguments, e.g. -runs=10000000
set -euo pipefail
cd "$(dirname "$0")/.."
out=build/fuzz
mkdir -p "$out/corpus"
cp -n tests/fuzz/corpus/* "$out/corpus/" 2>/dev/null || true
src=(about/music/xm_source.cpp about/music/xm_loader.cpp about/music/xm_tables.cpp
     about/music/xm_sequencer.cpp about/music/xm_effects.cpp about/music/xm_voice.cpp
     about/music/xm_mixer.cpp about/music/xm_render.cpp about/music/xm_player.cpp
     tests/fuzz/xm_loader_fuzz.cpp)
bin="$out/xm_loader_fuzz"
newest=$(ls -t "${src[@]}" about/music/*.h | head -n1)
if [ ! -x "$bin" ] || [ "$newest" -nt "$bin" ]; then
  clang++ -std=c++17 -O1 -g -I. -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=undefined "${src[@]}" -o "$bin"
fi
[ $# -eq 0 ] && set -- -max_total_time=20
exec "$bin" -rss_limit_mb=2048 -timeout=10 "$@" "$out/corpus"
