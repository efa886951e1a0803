#!/usr/bin/env bash
# Checks a release made by tools/package.sh without running it (the i686
# build cannot run here):
#  - every binary has its architecture's machine type, is stripped, and
#    imports only Windows system libraries, msvcrt and Pellam's own library;
#  - Pellam_DLL.dll exports exactly the seven undecorated names; on i686 each
#    returns with "ret $N" (the callee pops its arguments: __stdcall);
#  - the i686 program carries the mixer's SSE2 code;
#  - pellamctl.exe is a console program that imports the device library by
#    plain names;
#  - each installer is of its architecture and holds that architecture's
#    files.
#   check-release.sh RELEASE_DIR     (exit 77 when there is no release)
set -uo pipefail
release=${1:?usage: check-release.sh RELEASE_DIR}
[ -f "$release/PellamSetup-x64.exe" ] || { echo "no release in $release"; exit 77; }
failures=0
check() { # description, command...
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}

allowed_imports='^(advapi32|comctl32|gdi32|hid|kernel32|msvcrt|odbc32|odbccp32|setupapi|shell32|user32|version|winmm|pellam_dll)\.dll$'
exports=(FindPellamBoards GetManufacturerString GetProductString GetVersionString ReadPellams
  TestDLL WritePellam)
# Bytes of arguments each export pops on i686.
declare -A argument_bytes=([FindPellamBoards]=4 [GetManufacturerString]=8 [GetProductString]=8
  [GetVersionString]=8 [ReadPellams]=8 [TestDLL]=4 [WritePellam]=12)

machine_is() { objdump -f "$1" | grep -q "file format $2\$"; }
stripped() { objdump -t "$1" | grep -q 'no symbols'; }
imports_allowed() {
  local bad
  bad=$(objdump -p "$1" | awk '/DLL Name:/ {print tolower($3)}' | grep -Ev "$allowed_imports")
  [ -z "$bad" ] || { echo "     unexpected imports: $bad"; return 1; }
}
export_names() { objdump -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/^\t\[/ {print $NF}'; }
exports_exact() { [ "$(export_names "$1" | sort | tr '\n' ' ')" = "${exports[*]} " ]; }

# Every i686 export ends its function with "ret $<its argument bytes>".
stdcall_returns() {
  local dll=$1 table base index name rva address ret ok=0
  table=$(objdump -p "$dll")
  base=$((0x$(awk '/^ImageBase/ {print $2}' <<<"$table")))
  while read -r index name; do
    rva=$(awk -v i="$index" '/Export RVA/ { gsub(/[][]/, " "); if ($1 == i) print $4 }' <<<"$table")
    address=$((base + 0x$rva))
    ret=$(objdump -d --start-address=$address --stop-address=$((address + 0x400)) "$dll" |
      grep -m1 -oE 'ret +\$0x[0-9a-f]+' | grep -oE '0x[0-9a-f]+')
    if [ "$((ret))" -ne "${argument_bytes[$name]}" ]; then
      echo "     $name returns with ret ${ret:-(none)}, not ${argument_bytes[$name]}"
      ok=1
    fi
  done < <(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$table" |
    awk '/^\t\[/ {gsub(/[][]/, " "); print $1, $NF}')
  return $ok
}

for arch in x64 x86; do
  case $arch in x64) format=pei-x86-64 ;; x86) format=pei-i386 ;; esac
  dir="$release/$arch"
  for binary in Pellam.exe Pellam_DLL.dll pellamctl.exe pellam-db.exe; do
    check "$arch/$binary: $format" machine_is "$dir/$binary" $format
    check "$arch/$binary: stripped" stripped "$dir/$binary"
    check "$arch/$binary: imports only system libraries and msvcrt" imports_allowed "$dir/$binary"
  done
  check "$arch/Pellam_DLL.dll: exactly the seven plain exports" exports_exact "$dir/Pellam_DLL.dll"
  for program in Pellam.exe pellamctl.exe; do
    check "$arch/$program imports the device library by plain names" \
      bash -c "objdump -p '$dir/$program' | grep -qE '^\s+[0-9a-f]+\s+[0-9]+\s+ReadPellams$'"
  done
  check "$arch/pellamctl.exe is a console program" \
    bash -c "objdump -p '$dir/pellamctl.exe' | grep -qE '^Subsystem\s+0+3\s'"

  setup="$release/PellamSetup-$arch.exe"
  check "PellamSetup-$arch.exe: $format" machine_is "$setup" $format
  listing=$(7zz l -ba "$setup" 2>/dev/null | awk '{print $NF}' | sort | tr '\n' ' ')
  echo "     PellamSetup-$arch.exe holds: $listing"
  check "PellamSetup-$arch.exe holds the program, library, pellamctl, licences, uninstaller, pellam-db" \
    test "$listing" = "\$PLUGINSDIR/System.dll \$PLUGINSDIR/nsExec.dll \$PLUGINSDIR/pellam-db.exe Pellam.exe Pellam_DLL.dll licenses/terminus-font-OFL.txt pellamctl.exe uninstall.exe "
  unpacked=$(mktemp -d)
  7zz e -y -o"$unpacked" "$setup" Pellam.exe Pellam_DLL.dll pellamctl.exe >/dev/null 2>&1
  for file in Pellam.exe Pellam_DLL.dll pellamctl.exe; do
    check "PellamSetup-$arch.exe carries the $arch $file" cmp -s "$unpacked/$file" "$dir/$file"
  done
  rm -rf "$unpacked"
done
check "x86/Pellam_DLL.dll: every export is __stdcall" stdcall_returns "$release/x86/Pellam_DLL.dll"
check "x86/Pellam.exe: the mixer's SSE2 code is there" \
  bash -c "objdump -d '$release/x86/Pellam.exe' | grep -qE '\spackssdw\s'"

echo "release checks: $failures failed"
[ "$failures" -eq 0 ]
