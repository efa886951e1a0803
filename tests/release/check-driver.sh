#!/usr/bin/env bash
# Checks the virtual board's driver image, pellam_vboard.sys, without
# loading it:
#  - an x64 image (the driver and its INF are x64 only);
#  - its entry point is the DriverEntry symbol (a linker that does not find
#    the entry symbol silently starts the image somewhere else);
#  - no instruction touches a floating-point or vector register (x87, MMX,
#    SSE, AVX): kernel code may not use them without saving their state;
#  - it imports from the kernel, the HAL and the HID class only.
#   check-driver.sh DRIVER.sys     (needs the unstripped image of a Windows build)
set -uo pipefail
driver=${1:?usage: check-driver.sh DRIVER.sys}
[ -f "$driver" ] || { echo "no driver image $driver"; exit 1; }
failures=0
check() { # description, command...
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}

x64_image() { objdump -f "$driver" | grep -q 'file format pei-x86-64$'; }

entry_is_driver_entry() {
  local start symbol
  start=$(objdump -f "$driver" | awk '/^start address/ {print $3}')
  symbol=$(nm "$driver" | awk '$3 == "DriverEntry" {print "0x" $1}' | head -n1)
  if [ -z "$symbol" ]; then echo "     no DriverEntry symbol"; return 1; fi
  if [ $((start)) -ne $((symbol)) ]; then
    echo "     entry point $start, DriverEntry at $symbol"
    return 1
  fi
}

no_register_of_the_fpu() {
  local found
  found=$(objdump -d --no-show-raw-insn "$driver" | grep -E '%([xyz]mm[0-9]+|mm[0-7]|st(\([0-7]\))?)\b' | head -n 5)
  [ -z "$found" ] || { echo "     $found"; return 1; }
}

kernel_imports_only() {
  local bad
  bad=$(objdump -p "$driver" | awk '/DLL Name:/ {print tolower($3)}' |
    grep -Ev '^(ntoskrnl\.exe|hal\.dll|hidclass\.sys)$')
  [ -z "$bad" ] || { echo "     unexpected imports: $bad"; return 1; }
}

check "$(basename "$driver"): an x64 image" x64_image
check "$(basename "$driver"): its entry point is DriverEntry" entry_is_driver_entry
check "$(basename "$driver"): no floating-point or vector register in its code" no_register_of_the_fpu
check "$(basename "$driver"): imports from the kernel, the HAL and the HID class only" kernel_imports_only
echo "driver checks: $failures failed"
[ "$failures" -eq 0 ]
