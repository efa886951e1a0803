#!/usr/bin/env bash
# Builds everything and starts it under Wine: the real dist/Pellam.exe with
# the real device library against a virtual board in Wine's own HID stack
# (the default board 8001 is added when there is no virtual board yet), and
# the board panel showing the virtual boards (the "hardware").
#   tools/run.sh [--sim]   --sim: simulated boards and dist/sim/Pellam.exe
# The database dist/Pellam.MDB is kept between runs (tools/rig/prepare-app.sh
# --reset makes it fresh, which starts Pellam with its first-run Add Device
# dialog).
# Uses $DISPLAY when set; otherwise starts a private Xvfb display and saves a
# screenshot to build/run-screenshot.png every few seconds. Ctrl+C ends it.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
simulated=0
[ "${1:-}" = "--sim" ] && simulated=1

tools/rig/install-deps.sh
cmake -S . -B build/win -DCMAKE_BUILD_TYPE=Debug -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build/win -j"$(nproc)" >/dev/null
tools/rig/make-prefix.sh
tools/rig/prepare-app.sh

source tools/rig/session.sh
own_display=0
if [ -z "${DISPLAY:-}" ]; then
  rig_session_start "$ROOT/build/win/bin"
  own_display=1
  echo "No DISPLAY: running on Xvfb $DISPLAY; screenshots go to build/run-screenshot.png"
fi
cleanup() { [ "$own_display" = 1 ] && rig_session_stop; }
trap cleanup EXIT

if [ "$simulated" = 1 ]; then
  wine dist/sim/simpanel.exe &
  wine dist/sim/Pellam.exe &
else
  # Output to a file, not a pipe: Wine's helpers would inherit the pipe.
  list="$ROOT/build/vboard-list.txt"
  wine dist/vboard/vboard.exe list </dev/null >"$list" 2>&1 || true
  if ! grep -q PID_ "$list"; then
    echo "Adding the default virtual board 8001 (installs the driver into the prefix)"
    wine dist/vboard/vboard.exe default </dev/null >"$list" 2>&1 || { cat "$list"; exit 1; }
  fi
  wine dist/sim/simpanel.exe --virtual &
  wine dist/Pellam.exe &
fi
echo "Running. Press Ctrl+C to stop."
while sleep 5; do
  [ "$own_display" = 1 ] && import -display "$DISPLAY" -window root build/run-screenshot.png 2>/dev/null || true
done
