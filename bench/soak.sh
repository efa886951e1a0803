#!/usr/bin/env bash
# The soak: Pellam.exe's window connected for MINUTES under Wine while a
# script runs again and again, the simulator switches relays behind its
# back, Edit Relay saves every minute and the About box opens every ten.
# Writes OUT_DIR/soak.csv (every 30 s: handles, GDI objects, windows,
# private bytes, CPU time) and, where gnuplot is installed, OUT_DIR/soak.png.
# Fails when a count at the end is above its value after the first minute
# by more than a small allowance.
# Usage: bench/soak.sh MINUTES [OUT_DIR]   (after a Windows build; OUT_DIR: docs)
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:?usage: bench/soak.sh MINUTES [OUT_DIR]}
out=${2:-docs}
mkdir -p "$out"
out=$(cd "$out" && pwd)
tools/rig/prepare-app.sh >/dev/null
source tools/rig/session.sh
rig_session_start "$PWD/build/win/bin"
trap rig_session_stop EXIT

wine build/win/bin/soak.exe $((minutes * 60)) "$(winepath -w "$out/soak.csv")" </dev/null
tr -d '\r' <"$out/soak.csv" >"$out/soak.csv.tmp" && mv "$out/soak.csv.tmp" "$out/soak.csv"

if command -v gnuplot >/dev/null; then
  gnuplot <<PLOT
set datafile separator ","
set terminal pngcairo size 900,560
set output "$out/soak.png"
set title "Pellam under Wine for $minutes minutes: what the process holds"
set xlabel "minutes"
set ylabel "handles, GDI objects, windows"
set y2label "private MB, CPU seconds"
set y2tics
set key top left
plot "$out/soak.csv" using (\$1/60):2 with linespoints title "handles", \
     "" using (\$1/60):3 with linespoints title "GDI objects", \
     "" using (\$1/60):4 with linespoints title "windows", \
     "" using (\$1/60):(\$5/1024) axes x1y2 with lines title "private MB", \
     "" using (\$1/60):(\$6/1000) axes x1y2 with lines title "CPU s"
PLOT
fi

# The counts after the first minute against the last ones.
awk -F, 'NR > 1 && $1 >= 60 && !base { base = 1; h = $2; g = $3; w = $4; p = $5 }
         NR > 1 { lh = $2; lg = $3; lw = $4; lp = $5; ls = $1 }
         END {
           if (!base) { print "soak: no sample after the first minute"; exit 1 }
           printf "soak: after the first minute / after %d s: handles %d / %d, GDI objects %d / %d, windows %d / %d, private %d / %d KB\n", ls, h, lh, g, lg, w, lw, p, lp
           grew = (lh > h + 8) || (lg > g + 8) || (lw > w + 2) || (lp > p + 4096)
           if (grew) { print "soak: a count grew beyond its allowance"; exit 1 }
         }' "$out/soak.csv"
