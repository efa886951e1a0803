#!/usr/bin/env bash
# CPU used by Pellam.exe and by this prefix's wineserver while the program
# is connected to a simulated board, beside an idle Wine GUI process (Wine's
# Notepad) measured in the same run, then again with Pellam disconnected.
# Processes are found through /proc and checked to belong to this prefix
# (other checkouts may run their own Wine and Pellam at the same time).
# Usage: bench/app/cpu-while-connected.sh [SECONDS]   (after a Windows build)
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
source tools/rig/session.sh
source tools/rig/demo.sh
rig_session_start
trap rig_session_stop EXIT

# The one process of this prefix whose command line names $1.
prefix_process() {
  local found=() pid
  for pid in $(pgrep -f "$1"); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
    # Wine's loader re-executes itself: keep the process that runs the program.
    tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q '^/bin/sh\|^bash' && continue
    found+=("$pid")
  done
  [ ${#found[@]} -eq 1 ] || { echo "expected one '$1' of this prefix, found ${#found[@]}" >&2; exit 1; }
  echo "${found[0]}"
}

demo_start_connected
wine notepad </dev/null >/dev/null 2>&1 &
sleep 3
# Every Wine program's start writes a few registry values (the time zone,
# the keyboard layout), and the wineserver saves the registry about 30 s
# later: a start-up cost of Wine, not a cost of being connected. The
# measurement begins once that save is done (at most a minute).
saved=$(stat -c %Y "$WINEPREFIX/system.reg")
for _ in $(seq 60); do
  [ "$(stat -c %Y "$WINEPREFIX/system.reg")" != "$saved" ] && break
  sleep 1
done
sleep 2
pellam=$(prefix_process 'sim.Pellam\.exe')
idle=$(prefix_process 'notepad\.exe')
# The wineserver of this prefix works in /tmp/.wine-UID/server-DEV-INODE.
server_dir="server-$(printf '%x-%x' "$(stat -c '%d' "$WINEPREFIX")" "$(stat -c '%i' "$WINEPREFIX")")"
server=""
for candidate in $(pgrep wineserver); do
  [[ "$(readlink "/proc/$candidate/cwd")" == *"/$server_dir" ]] && server=$candidate
done
[ -n "$server" ] || { echo "no wineserver for $WINEPREFIX" >&2; exit 1; }
echo "Pellam.exe $pellam ($(tr '\0' ' ' </proc/$pellam/cmdline | cut -c1-60)), idle GUI $idle, wineserver $server"

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
# Prints the share of one core each process used over $seconds.
measure() {
  local p0 i0 s0 p1 i1 s1
  p0=$(ticks "$pellam"); i0=$(ticks "$idle"); s0=$(ticks "$server")
  sleep "$seconds"
  p1=$(ticks "$pellam"); i1=$(ticks "$idle"); s1=$(ticks "$server")
  awk -v p=$((p1 - p0)) -v i=$((i1 - i0)) -v s=$((s1 - s0)) -v hz="$hz" -v t="$seconds" \
    'BEGIN { printf "%.2f %.2f %.2f\n", 100 * p / hz / t, 100 * i / hz / t, 100 * s / hz / t }'
}
read -r pc ic sc < <(measure)
rig_click "Qvoxline Circuits Pellam Board" 1007 # Disconnect
sleep 1
read -r pd id sd < <(measure)
awk -v pc="$pc" -v ic="$ic" -v sc="$sc" -v pd="$pd" -v id="$id" -v sd="$sd" -v t="$seconds" 'BEGIN {
  printf "connected    (%d s): Pellam.exe %.2f%%, wineserver %.2f%%; idle Wine GUI process %.2f%%\n", t, pc, sc, ic
  printf "disconnected (%d s): Pellam.exe %.2f%%, wineserver %.2f%%; idle Wine GUI process %.2f%%\n", t, pd, sd, id
  printf "staying connected costs %.2f%% of one core above the baseline (Pellam.exe above the idle GUI process, plus the wineserver above its disconnected level)\n", (pc - ic) + (sc - sd) }'
