#!/usr/bin/env bash
# Checks a release made by tools/package.sh without running it (the i686
# build cannot run here):
#  - every binary has its architecture's machine type, is stripped, and
#    imports only Known DLLs (which Windows takes from the system folder
#    whatever lies beside the program) and, for the programs, Pellam's own
#    library; each program takes the current folder out of its DLL search;
#  - each program carries the application manifest: asInvoker, Windows 7 to
#    11, system DPI aware, no common controls 6 (also the debug build's
#    vboard.exe, beside the release);
#  - the installer script grants no user the right to add files to the
#    program folder (installer_rights.py);
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

# The Known DLLs of every Windows from 7 to 11 (the registry's KnownDLLs
# list); any other DLL the loader looks for in the program's folder first.
known_dlls='advapi32|clbcatq|comdlg32|difxapi|gdi32|imagehlp|imm32|kernel32|msctf|msvcrt|normaliz|nsi|ole32|oleaut32|psapi|rpcrt4|sechost|setupapi|shell32|shlwapi|user32|wldap32|ws2_32'
exports=(FindPellamBoards GetManufacturerString GetProductString GetVersionString ReadPellams
  TestDLL WritePellam)
# Bytes of arguments each export pops on i686.
declare -A argument_bytes=([FindPellamBoards]=4 [GetManufacturerString]=8 [GetProductString]=8
  [GetVersionString]=8 [ReadPellams]=8 [TestDLL]=4 [WritePellam]=12)

machine_is() { objdump -f "$1" | grep -q "file format $2\$"; }
stripped() { objdump -t "$1" | grep -q 'no symbols'; }
imports_known() { # binary, extra allowed names (a regular expression)
  local bad
  [ -f "$1" ] || return 1
  bad=$(objdump -p "$1" | awk '/DLL Name:/ {print tolower($3)}' | grep -Ev "^(${known_dlls}${2:+|$2})\.dll\$")
  [ -z "$bad" ] || { echo "     imports that are not Known DLLs:" $bad; return 1; }
}
imports_function() { objdump -p "$1" | grep -E "^\s+[0-9a-f]+\s+[0-9]+\s+$2\$" >/dev/null; }
manifest_ok() {
  local manifest missing=""
  manifest=$(7zz e -so "$1" .rsrc/MANIFEST/1 2>/dev/null | tr -d '\r')
  [ -n "$manifest" ] || { echo "     no manifest resource"; return 1; }
  grep -q '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>' <<<"$manifest" || missing+=" asInvoker"
  for id in 35138b9a-5d96-4fbd-8e2d-a2440225f93a 4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 \
    1f676c76-80e1-4239-95bb-83d0f6d0da78 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
    grep -q "<supportedOS Id=\"{$id}\"/>" <<<"$manifest" || missing+=" supportedOS:$id"
  done
  grep -qE '<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>' \
    <<<"$manifest" || missing+=" dpiAware"
  ! grep -q 'Microsoft.Windows.Common-Controls' <<<"$manifest" || missing+=" (common controls 6)"
  [ -z "$missing" ] || { echo "     manifest lacks:$missing"; return 1; }
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
  done
  check "$arch/Pellam_DLL.dll: imports only Known DLLs" imports_known "$dir/Pellam_DLL.dll"
  check "$arch/pellam-db.exe: imports only Known DLLs" imports_known "$dir/pellam-db.exe"
  for program in Pellam.exe pellamctl.exe; do
    check "$arch/$program: imports only Known DLLs and Pellam_DLL.dll" \
      imports_known "$dir/$program" pellam_dll
  done
  for program in Pellam.exe pellamctl.exe pellam-db.exe; do
    check "$arch/$program: takes the current folder out of the DLL search" \
      imports_function "$dir/$program" SetDllDirectoryA
    check "$arch/$program: carries the application manifest" manifest_ok "$dir/$program"
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
  # The program files come as NAME.new (setup swaps them in as one step).
  check "PellamSetup-$arch.exe holds the program, library, pellamctl, licences, uninstaller, pellam-db" \
    test "$listing" = "\$PLUGINSDIR/System.dll \$PLUGINSDIR/nsExec.dll \$PLUGINSDIR/pellam-db.exe Pellam.exe.new Pellam.ldb Pellam_DLL.dll.new licenses/terminus-font-OFL.txt pellamctl.exe.new uninstall.exe "
  unpacked=$(mktemp -d)
  7zz e -y -o"$unpacked" "$setup" Pellam.exe.new Pellam_DLL.dll.new pellamctl.exe.new >/dev/null 2>&1
  for file in Pellam.exe Pellam_DLL.dll pellamctl.exe; do
    check "PellamSetup-$arch.exe carries the $arch $file" cmp -s "$unpacked/$file.new" "$dir/$file"
  done
  rm -rf "$unpacked"
done
check "x86/Pellam_DLL.dll: every export is __stdcall" stdcall_returns "$release/x86/Pellam_DLL.dll"
vboard="$release/../vboard/vboard.exe"
if [ -f "$vboard" ]; then
  check "vboard.exe (x64, test tool): carries the application manifest" manifest_ok "$vboard"
fi
check "installer/pellam.nsi: no user may add files to the program folder" \
  python3 "$(dirname "$0")/installer_rights.py" "$(dirname "$0")/../../installer/pellam.nsi"
check "x86/Pellam.exe: the mixer's SSE2 code is there" \
  bash -c "objdump -d '$release/x86/Pellam.exe' | grep -qE '\spackssdw\s'"

echo "release checks: $failures failed"
[ "$failures" -eq 0 ]
