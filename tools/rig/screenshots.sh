#!/usr/bin/env bash
# Takes the documentation's screenshots of Pellam connected to the simulated
# board (after a Windows build): docs/main-window.png, docs/edit-relay.png,
# docs/relay-options.png, docs/about-box.png.
set -euo pipefail
cd "$(dirname "$0")/../.."
source tools/rig/session.sh
source tools/rig/demo.sh
rig_session_start
trap rig_session_stop EXIT

# Saves the topmost window whose title matches $1 to docs/$2.
shot() {
  local id
  id=$(xdotool search --name "$1" 2>/dev/null | tail -n1 || true)
  [ -n "$id" ] || { echo "no window '$1'"; return 1; }
  eval "$(xdotool getwindowgeometry --shell "$id")"
  import -display "$DISPLAY" -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "docs/$2"
  echo "saved docs/$2"
}

demo_start_connected
sleep 2
shot "^Qvoxline Circuits Pellam Board$" main-window.png
# EDIT of relay 3: its centre in dialog units (274, 186).
xdotool mousemove --window "$DEMO_WINDOW" $((274 * 6 / 4 + 3)) $((186 * 13 / 8 + 42)) click 1
sleep 1.5
shot "Edit Relay 3" edit-relay.png
xdotool key Escape
sleep 0.5
xdotool windowactivate --sync "$DEMO_WINDOW" 2>/dev/null || true
xdotool key alt+o Return
sleep 1.5
shot "^Relay Board Options$" relay-options.png
xdotool key Escape
sleep 0.5
xdotool windowactivate --sync "$DEMO_WINDOW" 2>/dev/null || true
xdotool key alt+h Return
sleep 4
shot "^About Qvoxline Relay Board$" about-box.png
