#!/usr/bin/env bash
# Builds everything and starts it under Wine with simulated boards: the
# board simulator panel (the "hardware") and Pellam.exe. The database
# dist/Pellam.MDB is kept between runs (tools/rig/prepare-app.sh --reset
# makes it fresh, which starts Pellam with its first-run Add Device dialog).
# Uses $DISPLAY when set; otherwise starts a private Xvfb display and saves a
# screenshot to build/run-screenshot.png every few seconds. Ctrl+C ends it.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)

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

wine dist/sim/simpanel.exe &
wine dist/sim/Pellam.exe &
echo "Running. Press Ctrl+C to stop."
while sleep 5; do
  [ "$own_display" = 1 ] && import -display "$DISPLAY" -window root build/run-screenshot.png 2>/dev/null || true
done
