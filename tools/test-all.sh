#!/usr/bin/env bash
# The one test command: installs what is missing, builds both builds, runs
# the host tests and the Windows tests under Wine on a private X display, and
# ends with one summary line "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
JOBS=$(nproc)
passed=0
failed=0
log_dir="$ROOT/build/logs"

finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ] && exit 0 || exit 1
}

stage() { echo; echo "== $*"; }

# Adds the counts of one ctest run; a run that finds no test counts as failed.
#   run_ctest DIR NAME JOBS [CTEST ARGUMENTS...]
run_ctest() {
  local dir=$1 name=$2 jobs=${3:-1} out="$log_dir/ctest-$2.log"
  shift $(($# < 3 ? $# : 3))
  (cd "$dir" && ctest --output-on-failure --timeout 300 -j"$jobs" "$@") >"$out" 2>&1
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$out" | tail -n1)
  if [ -z "$line" ]; then
    cat "$out"; echo "ctest ($name) ran no test"; failed=$((failed + 1)); return
  fi
  local f t
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  t=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + t - f))
  failed=$((failed + f))
  echo "$name: $line"
  [ "$f" -ne 0 ] && grep -E '\(Failed\)|\(SEGFAULT\)|\(Timeout\)|Exception|\*\*\*' "$out" | head -n 40
}

build() { # dir, cmake args...
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug "$@" >"$log_dir/configure-$(basename "$dir").log" 2>&1 &&
    cmake --build "$dir" -j"$JOBS" >"$log_dir/build-$(basename "$dir").log" 2>&1
}

stage "dependencies"
tools/rig/install-deps.sh || { echo "installing packages failed"; failed=1; finish; }
mkdir -p "$log_dir"

# The 32-bit lane's guest image (cached outside the repository; about 15
# minutes when it must be made) builds on one emulated processor while the
# builds and tests below run.
tools/lane32/image.sh >"$log_dir/lane32-image.log" 2>&1 &
lane_image_pid=$!

stage "include layering"
if python3 tools/check-includes.py >"$log_dir/includes.log" 2>&1; then
  passed=$((passed + 1)); tail -n1 "$log_dir/includes.log"
else
  cat "$log_dir/includes.log"; failed=$((failed + 1))
fi

stage "host build and tests"
if build build/host; then
  run_ctest build/host host "$JOBS"
else
  tail -n 40 "$log_dir/build-host.log"; echo "host build failed"; failed=$((failed + 1))
fi

# Short fuzz runs (tools/fuzz.sh runs them long): seconds per target.
for run in xm:15 unpack:15 device:7 boardlist:7 script:7 dbq:7; do
  target=${run%%:*} seconds=${run#*:}
  stage "fuzz smoke run: $target (libFuzzer, $seconds s)"
  if tools/fuzz.sh "$target" -max_total_time="$seconds" >"$log_dir/fuzz-$target.log" 2>&1; then
    passed=$((passed + 1)); echo "fuzz $target: $(grep -E '^Done [0-9]+ runs' "$log_dir/fuzz-$target.log")"
  else
    tail -n 40 "$log_dir/fuzz-$target.log"; echo "fuzz $target: failed"; failed=$((failed + 1))
  fi
done

stage "Windows build"
if ! build build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake; then
  tail -n 40 "$log_dir/build-win.log"; echo "Windows build failed"; failed=$((failed + 1)); finish
fi

stage "release builds (x64, x86) and installers"
released=0
if tools/package.sh >"$log_dir/package.log" 2>&1; then
  released=1; passed=$((passed + 1)); sed -n '/PellamSetup/p' "$log_dir/package.log"
else
  tail -n 40 "$log_dir/package.log"; echo "release build failed"; failed=$((failed + 1))
fi

stage "Windows tests under Wine"
tools/rig/make-prefix.sh || { echo "Wine prefix could not be made"; failed=$((failed + 1)); finish; }
tools/rig/prepare-app.sh >/dev/null || { echo "ODBC stand-in or database could not be prepared"; failed=$((failed + 1)); finish; }
source tools/rig/session.sh
rig_session_start "$ROOT/build/win/bin"
run_ctest build/win win 1 -LE release
# The release's binaries, and its x64 installer installed, run and removed.
[ "$released" = 1 ] && run_ctest build/win release 1 -L release
# Tests that point the installation record elsewhere put it back: the
# prefix's own Pellam.exe and pellamctl still find the rig's database.
record=$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\Pellam.exe' /ve \
  2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p')
if [ "$record" = "$(winepath -w "$ROOT/dist/Pellam.exe" 2>/dev/null)" ]; then
  passed=$((passed + 1)); echo "installation record after the tests: $record"
else
  failed=$((failed + 1)); echo "installation record after the tests is \"$record\", not the rig's"
fi
rig_session_stop

stage "32-bit lane: the i686 build in an emulated i386 guest"
if ! wait "$lane_image_pid"; then
  tail -n 20 "$log_dir/lane32-image.log"
  echo "32-bit lane: 0 passed, 1 failed (no guest image)" >"$log_dir/lane32.log"
elif [ "$released" = 1 ]; then
  tools/lane32/run.sh --no-package >"$log_dir/lane32.log" 2>&1
  grep -E '^(  |guest|i686|32-bit lane)' "$log_dir/lane32.log"
else
  echo "32-bit lane: 0 passed, 1 failed (no x86 release)" >"$log_dir/lane32.log"
fi
lane=$(grep -E '^32-bit lane: [0-9]+ passed, [0-9]+ failed' "$log_dir/lane32.log" | tail -n1)
if [ -n "$lane" ]; then
  passed=$((passed + $(sed -E 's/.*: ([0-9]+) passed.*/\1/' <<<"$lane")))
  failed=$((failed + $(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$lane")))
else
  tail -n 20 "$log_dir/lane32.log"; echo "32-bit lane: no result"; failed=$((failed + 1))
fi

stage "soak: two minutes of the program at work"
if bench/soak.sh 2 build/soak >"$log_dir/soak.log" 2>&1; then
  passed=$((passed + 1)); tail -n 2 "$log_dir/soak.log"
else
  tail -n 20 "$log_dir/soak.log"; echo "soak failed"; failed=$((failed + 1))
fi

finish
