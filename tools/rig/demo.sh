# Sourced: starts Pellam.exe against the simulated board with a registered
# default board whose relays have names and labels, and connects it. With
# --virtual: the real dist/Pellam.exe against the default virtual board.
#   demo_start_connected [--virtual]   (sets DEMO_WINDOW; needs a rig session)
demo_start_connected() {
  local virtual=0
  [ "${1:-}" = "--virtual" ] && virtual=1
  tools/rig/prepare-app.sh --reset >/dev/null
  sqlite3 dist/Pellam.MDB <<'SQL'
INSERT INTO Main (VID, PID, "DEFAULT",
  RELAY1NAME, RELAY1NC, RELAY1NO, RELAY2NAME, RELAY2NC, RELAY2NO, RELAY3NAME, RELAY3NC, RELAY3NO,
  RELAY4NAME, RELAY4NC, RELAY4NO, RELAY5NAME, RELAY5NC, RELAY5NO, RELAY1NOTES)
VALUES ('0000', '8001', 'YES', 'Pump', 'Stopped', 'Running', 'Hall Lamp', 'Off', 'On',
  'Fan', 'Idle', 'Spinning', 'Heater', 'Cold', 'Warm', 'Gate', 'Closed', 'Open', 'Main water pump');
INSERT INTO RelayScripts (PID, NAME, DESCRIPTION, COMMANDS) VALUES
  ('8001', 'Morning', 'Start the pump, light the hall', '000A020E01'),
  ('8001', 'Air the room', 'Fan on for ten seconds, then off', '040J05'),
  ('8001', 'Close up', 'Gate closed, everything off', '09010305070A');
SQL
  if [ "$virtual" = 1 ]; then
    wine dist/vboard/vboard.exe default </dev/null >/dev/null
    wine dist/vboard/vboard.exe relay 8001 2 1 </dev/null >/dev/null
    wine dist/vboard/vboard.exe relay 8001 5 1 </dev/null >/dev/null
    wine dist/Pellam.exe &
  else
    wine dist/sim/simctl.exe reset >/dev/null
    wine dist/sim/simctl.exe relay 0 2 1 >/dev/null
    wine dist/sim/simctl.exe relay 0 5 1 >/dev/null
    wine dist/sim/Pellam.exe &
  fi
  DEMO_WINDOW=""
  for _ in $(seq 50); do
    DEMO_WINDOW=$(xdotool search --name "^Qvoxline Circuits Pellam Board$" 2>/dev/null | head -n1 || true)
    [ -n "$DEMO_WINDOW" ] && break
    sleep 0.2
  done
  sleep 1
  rig_click "Qvoxline Circuits Pellam Board" 1006 # Connect
  sleep 1
}
