#!/usr/bin/env bash
# Builds a fuzz target with clang (libFuzzer, ASan, UBSan) in build/fuzz and
# runs it from its seed corpus in tests/fuzz/corpus/TARGET. New inputs go to
# a scratch corpus under build/, never into the repository.
#   tools/fuzz.sh TARGET                 a short smoke run (20 s)
#   tools/fuzz.sh TARGET ARGS...         libFuzzer arguments, e.g. -runs=10000000
# Targets: xm (XM loader and player), unpack (LZW unpacker), device (status
# and input reports, identity strings), boardlist (Add Device's board list),
# script (walk over stored COMMANDS text), dbq (the ODBC stand-in's DBQ=).
set -euo pipefail
cd "$(dirname "$0")/.."
targets="xm|unpack|device|boardlist|script|dbq"
target="${1:?usage: tools/fuzz.sh $targets [libFuzzer arguments]}"
shift
options=()
case "$target" in
  xm)
    src=(about/music/xm_source.cpp about/music/xm_loader.cpp about/music/xm_tables.cpp
         about/music/xm_sequencer.cpp about/music/xm_effects.cpp about/music/xm_voice.cpp
         about/music/xm_mixer.cpp about/music/xm_render.cpp about/music/xm_player.cpp
         tests/fuzz/xm_loader_fuzz.cpp)
    headers=(about/*.h about/music/*.h)
    options=(-rss_limit_mb=2048 -timeout=10) ;;
  unpack)
    src=(about/lzw_unpack.cpp tests/fuzz/lzw_unpack_fuzz.cpp)
    headers=(about/*.h)
    options=(-max_len=8192) ;;
  device)
    src=(common/text_helpers.cpp devlib/board_access.cpp devlib/reports.cpp
         tests/host/devlib/fake_hid.cpp tests/fuzz/device_reports_fuzz.cpp)
    headers=(common/*.h devlib/*.h tests/host/devlib/*.h tests/fuzz/*.h)
    options=(-max_len=8192) ;;
  boardlist)
    src=(common/text_helpers.cpp common/board_entry.cpp tests/fuzz/board_list_fuzz.cpp)
    headers=(common/*.h dialogs/board_list.h tests/fuzz/*.h)
    options=(-max_len=4096) ;;
  script)
    src=(common/text_helpers.cpp scripts/command_codes.cpp scripts/script_run.cpp
         tests/fuzz/script_commands_fuzz.cpp)
    headers=(common/*.h scripts/*.h db/board_record.h tests/fuzz/*.h)
    options=(-max_len=1200) ;; # the names and labels, and more than 512 characters of codes
  dbq)
    src=(tools/odbc/dbq_translate.c tests/fuzz/dbq_translate_fuzz.cpp)
    headers=(tools/odbc/*.h tests/fuzz/*.h)
    options=(-max_len=4096) ;;
  *) echo "unknown fuzz target: $target (one of $targets)" >&2; exit 2 ;;
esac
out=build/fuzz
mkdir -p "$out/corpus-$target"
bin="$out/${target}_fuzz"
sanitize=(-fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
# headers count too: the mixing kernels live in one
newest=$(ls -t "${src[@]}" "${headers[@]}" | head -n1)
if [ ! -x "$bin" ] || [ "$newest" -nt "$bin" ]; then
  # C sources are compiled as C, the rest as C++, then linked together.
  objects=() cxx=()
  for s in "${src[@]}"; do
    if [[ "$s" == *.c ]]; then
      o="$out/${target}_$(basename "$s" .c).o"
      clang -std=c11 -D_GNU_SOURCE -O1 -g -I. -fsanitize=fuzzer-no-link,address,undefined \
        -fno-sanitize-recover=undefined -c "$s" -o "$o"
      objects+=("$o")
    else
      cxx+=("$s")
    fi
  done
  clang++ -std=c++17 -O1 -g -I. "${sanitize[@]}" "${cxx[@]}" "${objects[@]}" -o "$bin"
fi
[ $# -eq 0 ] && set -- -max_total_time=20
exec "$bin" "${options[@]}" -print_final_stats=1 -artifact_prefix="$out/" "$@" \
  "$out/corpus-$target" "tests/fuzz/corpus/$target"
