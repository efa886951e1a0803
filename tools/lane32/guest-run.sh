#!/bin/bash
# The 32-bit lane inside the guest, run as its first process. The host's
# work tree is shared at the same path it has on the host, so the test
# programs find the files their build named; the guest keeps its own Wine
# prefix and ODBC set-up (.rig) and sees the i686 build's deliverables as
# dist/. Writes build/lane32/results.txt ("GROUP<TAB>TEST<TAB>PASS|FAIL<TAB>
# SECONDS" per test case, "phase<TAB>NAME<TAB>-<TAB>SECONDS" per step) and a
# log per test case, then powers the guest off.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t tmpfs tmpfs /tmp
mkdir -p /dev/shm /dev/pts
mount -t tmpfs tmpfs /dev/shm
mount -t devpts devpts /dev/pts
# What udev would have made: /dev/fd and the standard streams.
ln -sf /proc/self/fd /dev/fd
for i in 0:stdin 1:stdout 2:stderr; do ln -sf "/proc/self/fd/${i%:*}" "/dev/${i#*:}"; done
for a in $(cat /proc/cmdline); do
  case $a in lane_root=*) root=${a#lane_root=} ;; lane_build=*) build=${a#lane_build=} ;; esac
done
power_off() { sync; echo o >/proc/sysrq-trigger; sleep 10; }
[ -n "${root:-}" ] && [ -n "${build:-}" ] || { echo "LANE: lane_root or lane_build missing"; power_off; }
mkdir -p "$root"
mount --bind /mnt/share "$root"
# The image's prefix (made by the rig's make-prefix.sh when the image was
# built) as the work tree's .rig: make-prefix.sh finds it ready.
mkdir -p /var/lib/lane/.rig
mount --bind /var/lib/lane/.rig "$root/.rig" || power_off
mount --bind "$root/$build/dist" "$root/dist" || power_off
cd "$root" || power_off

out="$root/build/lane32"
results="$out/results.txt"
mkdir -p "$out/logs"
: >"$results"
exec >"$out/guest.log" 2>&1
echo "LANE: guest up at $(cut -d' ' -f1 /proc/uptime) s; $(uname -m), $(wine --version)"

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }
phase() { # NAME COMMAND...
  local start
  start=$(now)
  "${@:2}"
  local rc=$?
  printf 'phase\t%s\t%s\t%s\n' "$1" "$([ $rc = 0 ] && echo PASS || echo FAIL)" "$(since "$start")" >>"$results"
  return $rc
}

# The prefix is 32-bit (the guest's Wine has no 64-bit loader); the
# stand-in's setup library comes from the i686 build, as the guest has no
# compiler for Windows.
export PELLAM_WINEARCH=win32
export PELLAM_ACCESS_SETUP_DLL="$root/$build/bin/pellam_access_setup.dll"
source tools/rig/env.sh
phase prefix tools/rig/make-prefix.sh
# One wineserver for all of prepare-app's Wine calls (each would start one
# cold, seconds apiece under emulation); prepare-app ends it.
wineserver -p
phase prepare-app tools/rig/prepare-app.sh --reset
source tools/rig/session.sh
phase session rig_session_start "$root/$build/bin"

# Runs test cases of one program: each in a process of its own, or all in
# one process in order; a case the process never reported failed.
run_program() { # GROUP PROGRAM FILTER MODE
  local group=$1 exe="$root/$build/bin/$2" filter=$3 mode=$4 cases
  cases=$(wine "$exe" --gtest_list_tests --gtest_filter="$filter" </dev/null 2>/dev/null | tr -d '\r' |
    awk '/^[^ ]/ { suite = $1 } /^  [^ ]/ { print suite $1 }')
  if [ -z "$cases" ]; then
    printf '%s\t%s\tFAIL\t0\n' "$group" "$2 (no test case found)" >>"$results"
    return
  fi
  if [ "$mode" = one ]; then
    local log="$out/logs/$group-${2%.exe}.log" start
    start=$(now)
    timeout 900 wine "$exe" --gtest_filter="$filter" </dev/null >"$log" 2>&1
    local seconds count
    seconds=$(since "$start")
    count=$(wc -w <<<"$cases")
    for c in $cases; do
      local verdict=FAIL
      tr -d '\r' <"$log" | grep -q "^\[       OK \] $c " && verdict=PASS
      printf '%s\t%s\t%s\t%s\n' "$group" "$c" "$verdict" \
        "$(awk -v s="$seconds" -v n="$count" 'BEGIN { printf "%.1f", s / n }')" >>"$results"
    done
    return
  fi
  for c in $cases; do
    local log="$out/logs/$group-${c//\//_}.log" start verdict=FAIL # Suite/Name/0: no folders
    start=$(now)
    timeout 300 wine "$exe" --gtest_filter="$c" </dev/null >"$log" 2>&1
    local status=$?
    echo "exit status $status" >>"$log"
    [ $status = 0 ] && tr -d '\r' <"$log" | grep -q '^\[  PASSED  \] 1 test' && verdict=PASS
    printf '%s\t%s\t%s\t%s\n' "$group" "$c" "$verdict" "$(since "$start")" >>"$results"
  done
}

while read -r group program filter mode; do
  case $group in '' | '#'*) continue ;; esac
  run_program "$group" "$program" "$filter" "$mode"
done <tools/lane32/tests.txt

rig_session_stop
echo "LANE: done at $(cut -d' ' -f1 /proc/uptime) s"
umount "$root/dist" "$root/.rig" "$root" 2>/dev/null
power_off
