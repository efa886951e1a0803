#!/usr/bin/env bash
# Takes the README's screenshot of the main window connected to the
# simulated board, with relay names and labels set in Main.
# Usage: tools/rig/screenshot-main.sh [OUTPUT.png]   (after a Windows build)
set -euo pipefail
cd "$(dirname "$0")/../.."
out=$(realpath -m "${1:-docs/main-window.png}")
source tools/rig/session.sh
source tools/rig/demo.sh
rig_session_start
trap rig_session_stop EXIT
demo_start_connected
sleep 2
eval "$(xdotool getwindowgeometry --shell "$DEMO_WINDOW")"
import -display "$DISPLAY" -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
echo "saved $out"
