#!/usr/bin/env bash
# Takes the documentation's screenshots of Pellam connected to the simulated
# board (after a Windows build): the main window, Edit Relay, Relay Board
# Options, the About box, the Relay Scripts list, the script editor and a
# finished execution log; then the real Pellam.exe connected to the default
# virtual board beside the board panel. All under docs/.
#   tools/rig/screenshots.sh [--dpi DPI] [--out DIR]
# --dpi takes them with the prefix's display at DPI (144 = 150 %, 192 =
# 200 %) on a screen large enough, into build/screenshots/dpi-DPI/ unless
# --out says otherwise, and sets the prefix back to 96 DPI afterwards.
set -euo pipefail
cd "$(dirname "$0")/../.."
dpi=96
out=""
while [ $# -gt 0 ]; do
  case "$1" in
    --dpi) dpi=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "usage: tools/rig/screenshots.sh [--dpi DPI] [--out DIR]"; exit 2 ;;
  esac
done
[ -n "$out" ] || { [ "$dpi" = 96 ] && out=docs || out="build/screenshots/dpi-$dpi"; }
mkdir -p "$out"
source tools/rig/session.sh
source tools/rig/demo.sh
finish() {
  rig_session_stop
  [ "$dpi" = 96 ] || rig_set_dpi 96
}
if [ "$dpi" -gt 144 ]; then
  # The screen grows with the windows, so that none is cut off.
  export RIG_SCREEN="$((1600 * dpi / 144))x$((1200 * dpi / 144))x24"
fi
rig_set_dpi "$dpi"
rig_session_start
trap finish EXIT

main_title="Qvoxline Circuits Pellam Board"
# Saves the topmost window whose title matches $1 to $out/$2.
shot() {
  local id
  id=$(xdotool search --name "$1" 2>/dev/null | tail -n1 || true)
  [ -n "$id" ] || { echo "no window '$1'"; return 1; }
  eval "$(xdotool getwindowgeometry --shell "$id")"
  import -display "$DISPLAY" -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$2"
  echo "saved $out/$2"
}

demo_start_connected
sleep 2
shot "^$main_title\$" main-window.png
rig_click "$main_title" 1017 # EDIT of relay 3
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
if [ "$dpi" != 96 ]; then
  # A message box of the program's: Relay Options while disconnected.
  xdotool windowactivate --sync "$DEMO_WINDOW" 2>/dev/null || true
  xdotool key alt+o Return
  sleep 1.5
  shot "^Error$" message-box.png
  xdotool key Return
  sleep 0.5
fi

# The About box disconnected: Connect again, then Relay Scripts.
xdotool windowactivate --sync "$DEMO_WINDOW" 2>/dev/null || true
rig_click "$main_title" 1006 # Connect
sleep 1
rig_click "$main_title" 1026 # Relay Scripts
sleep 1.5
shot "^Relay Scripts$" script-list.png
# Activates the first script's cell in column $1 of the list's grid from the
# keyboard: a click gives the grid the focus, Home and Left go to the first
# cell, Right to the column, Enter activates it.
activate_cell() {
  rig_click "Relay Scripts" 140
  xdotool key Home Left Left Left Left Left Left
  for _ in $(seq "$1"); do xdotool key Right; done
  xdotool key Return
}
activate_cell 3 # Edit of the first script
sleep 1.5
shot "^EDIT Existing Relay Script$" script-editor.png
xdotool key Escape
sleep 1.5
activate_cell 5 # Execute of the first script
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
# Sizes and places at 96 DPI, grown with the display.
at_dpi() { echo $(($1 * dpi / 96)); }
xdotool windowsize "$panel" "$(at_dpi 917)" "$(at_dpi 210)" windowmove "$panel" 0 "$(at_dpi 520)"
sleep 3
import -display "$DISPLAY" -window root -crop "$(at_dpi 1024)x$(at_dpi 735)+0+0" +repage \
  "$out/virtual-board.png"
echo "saved $out/virtual-board.png"
