#!/usr/bin/env bash
# Takes the documentation's screenshots of Pellam connected to the simulated
# board (after a Windows build): the main window, Edit Relay, Relay Board
# Options, the About box, the Relay Scripts list, the script editor and a
# finished execution log; then the real Pellam.exe connected to the default
# virtual board beside the board panel. All under docs/.
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
xdotool key alt+F4
sleep 0.5

# The About box disconnected: Connect again, then Relay Scripts (its centre
# in dialog units (313, 234)).
xdotool windowactivate --sync "$DEMO_WINDOW" 2>/dev/null || true
xdotool mousemove --window "$DEMO_WINDOW" $((149 * 6 / 4 + 3)) $((234 * 13 / 8 + 42)) click 1
sleep 1
xdotool mousemove --window "$DEMO_WINDOW" $((313 * 6 / 4 + 3)) $((234 * 13 / 8 + 42)) click 1
sleep 1.5
shot "^Relay Scripts$" script-list.png
list=$(xdotool search --name "^Relay Scripts$" | tail -n1)
# Grid cells: the grid starts at dialog units (4, 31); header 18 px, rows 20 px.
cell() { # column centre x in pixels within the grid, row
  xdotool mousemove --window "$list" $((3 + 4 * 6 / 4 + 2 + $1)) $((22 + 31 * 13 / 8 + 2 + 18 + 20 * $2 + 10)) click --repeat 2 1
}
cell 566 0 # Edit of the first script
sleep 1.5
shot "^EDIT Existing Relay Script$" script-editor.png
xdotool key Escape
sleep 1.5
list=$(xdotool search --name "^Relay Scripts$" | tail -n1)
cell 666 0 # Execute of the first script
sleep 1
xdotool key Return # "Execute Script Number 1 ?": Yes
sleep 8
shot "^Execute Relay Script$" script-execution.png

# The board panel with the simulated board.
wine dist/sim/simpanel.exe &
sleep 3
shot "^Pellam board simulator$" simulator-panel.png

# The real library against the virtual board, with the panel showing it.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
rig_session_stop
rig_session_start
demo_start_connected --virtual
xdotool windowmove "$DEMO_WINDOW" 0 0
wine dist/sim/simpanel.exe --virtual &
panel=""
for _ in $(seq 50); do
  panel=$(xdotool search --name "^Pellam virtual boards$" 2>/dev/null | head -n1 || true)
  [ -n "$panel" ] && break
  sleep 0.2
done
xdotool windowsize "$panel" 917 210 windowmove "$panel" 0 520
sleep 3
import -display "$DISPLAY" -window root -crop 1024x735+0+0 +repage docs/virtual-board.png
echo "saved docs/virtual-board.png"
