# Sourced: starts and stops a private X display with Wine pre-started on it.
#   rig_session_start [BIN_DIR]   exports DISPLAY; BIN_DIR holds wine_keepalive.exe
#                                 (RIG_SCREEN: the display's size, default 1600x1200x24:
#                                 room for the main window at 150 %)
#   rig_session_stop
#   rig_set_dpi DPI               the prefix's display resolution (96 = 100 %, 144, 192);
#                                 before rig_session_start: it ends the prefix's Wine
#   rig_click TITLE CONTROL_ID    clicks the centre of a control of a window
# Pre-starting Wine with DISPLAY set, and keeping one tiny GUI process alive,
# keeps Wine's helper processes off the tests' output pipes (each test then
# starts in well under a second) and gives every window a desktop.
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

rig_session_start() {
  local bin_dir="${1:-$PELLAM_ROOT/build/win/bin}"
  local fd_file
  fd_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${RIG_SCREEN:-1600x1200x24}" -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
  RIG_XVFB_PID=$!
  for _ in $(seq 100); do [ -s "$fd_file" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -n1 "$fd_file")"
  rm -f "$fd_file"
  # Any Wine still running was started without this display: end it first.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wineserver -p
  wine cmd /c exit </dev/null >/dev/null 2>&1
  if [ -f "$bin_dir/wine_keepalive.exe" ]; then
    setsid wine "$bin_dir/wine_keepalive.exe" </dev/null >/dev/null 2>&1 &
  fi
}

rig_session_stop() {
  wineserver -k 2>/dev/null || true
  [ -n "${RIG_XVFB_PID:-}" ] && kill "$RIG_XVFB_PID" 2>/dev/null || true
  wait "${RIG_XVFB_PID:-}" 2>/dev/null || true
}

rig_set_dpi() {
  DISPLAY= wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    </dev/null >/dev/null 2>&1
  # Wine reads the resolution when it starts: end it, which also saves the registry.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}

rig_click() {
  local point
  point=$(wine "$PELLAM_ROOT/build/win/bin/wine_control_point.exe" "$1" "$2" </dev/null 2>/dev/null |
    tr -d '\r')
  [ -n "$point" ] || { echo "no control $2 in '$1'" >&2; return 1; }
  # shellcheck disable=SC2086
  xdotool mousemove $point click 1
}
