#!/usr/bin/env bash
# Builds a fuzz target with clang (libFuzzer, ASan, UBSan) in build/fuzz and
# runs it from its seed corpus in tests/fuzz/corpus/TARGET. New inputs go to
# a scratch corpus under build/, never into the repository.
#   tools/fuzz.sh xm|unpack                 a short smoke run (20 s)
#   tools/fuzz.sh xm|unpack ARGS...         libFuzzer arguments, e.g. -runs=10000000
set -euo pipefail
cd "$(dirname "$0")/.."
target="${1:?usage: tools/fuzz.sh xm|unpack [libFuzzer arguments]}"
shift
case "$target" in
  xm)
    src=(about/music/xm_source.cpp about/music/xm_loader.cpp about/music/xm_tables.cpp
         about/music/xm_sequencer.cpp about/music/xm_effects.cpp about/music/xm_voice.cpp
         about/music/xm_mixer.cpp about/music/xm_render.cpp about/music/xm_player.cpp
         tests/fuzz/xm_loader_fuzz.cpp)
    options=(-rss_limit_mb=2048 -timeout=10) ;;
  unpack)
    src=(about/lzw_unpack.cpp tests/fuzz/lzw_unpack_fuzz.cpp)
    options=(-max_len=8192) ;;
  *) echo "unknown fuzz target: $target" >&2; exit 2 ;;
esac
out=build/fuzz
mkdir -p "$out/corpus-$target"
bin="$out/${target}_fuzz"
# headers count too: the mixing kernels live in one
newest=$(ls -t "${src[@]}" about/*.h about/music/*.h | head -n1)
if [ ! -x "$bin" ] || [ "$newest" -nt "$bin" ]; then
  clang++ -std=c++17 -O1 -g -I. -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=undefined "${src[@]}" -o "$bin"
fi
[ $# -eq 0 ] && set -- -max_total_time=20
exec "$bin" "${options[@]}" -print_final_stats=1 -artifact_prefix="$out/" "$@" \
  "$out/corpus-$target" "tests/fuzz/corpus/$target"
