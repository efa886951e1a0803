#!/usr/bin/env bash
# CPU used by Pellam.exe (and by the wineserver on its behalf) while it is
# connected to a simulated board, over 60 seconds.
# Usage: bench/app/cpu-while-connected.sh [SECONDS]   (after a Windows build)
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
source tools/rig/session.sh
source tools/rig/demo.sh
rig_session_start
trap rig_session_stop EXIT
demo_start_connected
sleep 2
pid=$(pgrep -f 'sim.Pellam\.exe' | head -n1)
# The wineserver of this prefix works in /tmp/.wine-UID/server-DEV-INODE.
server_dir="server-$(printf '%x-%x' "$(stat -c '%d' "$WINEPREFIX")" "$(stat -c '%i' "$WINEPREFIX")")"
server=""
for candidate in $(pgrep wineserver); do
  [[ "$(readlink "/proc/$candidate/cwd")" == *"/$server_dir" ]] && server=$candidate
done
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
p0=$(ticks "$pid"); s0=$(ticks "$server")
sleep "$seconds"
p1=$(ticks "$pid"); s1=$(ticks "$server")
awk -v p=$((p1 - p0)) -v s=$((s1 - s0)) -v hz="$hz" -v t="$seconds" 'BEGIN {
  printf "Pellam.exe: %.2f%% of one core; wineserver: %.2f%%; together %.2f%% (%d s connected)\n",
         100 * p / hz / t, 100 * s / hz / t, 100 * (p + s) / hz / t, t }'
