#!/usr/bin/env bash
# Prepares everything Pellam.exe needs around it in the project's Wine
# prefix, as an installer would:
#  - the "Microsoft Access Driver (*.mdb)" stand-in, registered with unixODBC
#    in a project-local odbcinst.ini, and its setup library, registered in
#    the prefix's registry, which creates database files (CREATE_DB);
#  - the Access Database Engine's driver name registered as missing, so a
#    connection under it gets the answer Windows gives (SQLSTATE IM002);
#  - .rig/empty.MDB, a database with the tables and no rows (tests copy it),
#    and dist/Pellam.MDB, kept when it exists (--reset makes it fresh): both
#    made by dist/pellam-db.exe through the driver, as the installer does;
#  - the installation record naming dist/Pellam.exe;
#  - dist/sim/Pellam.exe, the program beside the simulated-board library;
#  - the virtual board's driver, where the prefix has it installed: the one
#    just built (Wine loads it at its next start; boards keep their devices).
# Usage: tools/rig/prepare-app.sh [--reset]
set -euo pipefail
source "$(dirname "$0")/env.sh"
cd "$PELLAM_ROOT"

mkdir -p "$ODBCSYSINI"
driver="$ODBCSYSINI/libpellam_access_odbc.so"
gcc -std=c11 -D_GNU_SOURCE -O2 -Wall -Wextra -Werror -shared -fPIC -I. \
  tools/odbc/access_standin.c tools/odbc/dbq_translate.c tools/odbc/counter_keys.c \
  -o "$driver.tmp" -ldl
mv "$driver.tmp" "$driver"
absent="$ODBCSYSINI/libpellam_absent_driver.so"
gcc -std=c11 -O2 -Wall -Wextra -Werror -shared -fPIC tools/odbc/absent_driver.c -o "$absent"
setup="$ODBCSYSINI/pellam_access_setup.dll"
# PELLAM_ACCESS_SETUP_DLL: one built already, for a prefix of another
# architecture (the Windows build makes it as target pellam_access_setup).
if [ -n "${PELLAM_ACCESS_SETUP_DLL:-}" ]; then
  cp "$PELLAM_ACCESS_SETUP_DLL" "$setup"
else
  x86_64-w64-mingw32-gcc -std=c11 -O2 -Wall -Wextra -Werror -shared -I. -static-libgcc \
    tools/odbc/access_setup.c tools/odbc/create_db_request.c tools/odbc/access_setup.def \
    -lodbccp32 -o "$setup"
fi
cat >"$ODBCSYSINI/odbcinst.ini" <<INI
[Microsoft Access Driver (*.mdb)]
Description = Access driver name, SQLite database (Pellam stand-in)
Driver = $driver
Setup = $driver

[Microsoft Access Driver (*.mdb, *.accdb)]
Description = not installed here (answers as Windows does for a missing driver)
Driver = $absent
INI
: >"$ODBCSYSINI/odbc.ini"

# Wine 8.0's odbccp32 loads the setup library named by the value "Driver";
# Windows and later Wine read "Setup".
reg() { DISPLAY= wine reg add "$@" /f >/dev/null 2>&1; }
access_key='HKLM\Software\ODBC\ODBCINST.INI\Microsoft Access Driver (*.mdb)'
setup_path="$(winepath -w "$setup" 2>/dev/null)"
reg "$access_key" /v Driver /t REG_SZ /d "$setup_path"
reg "$access_key" /v Setup /t REG_SZ /d "$setup_path"
reg 'HKLM\Software\ODBC\ODBCINST.INI\ODBC Drivers' /v 'Microsoft Access Driver (*.mdb)' \
  /t REG_SZ /d Installed

# Creates a database with pellam-db, as the installer does.
create_database() {
  rm -f "$1"
  DISPLAY= wine dist/pellam-db.exe create "$(winepath -w "$1" 2>/dev/null)" </dev/null 2>/dev/null |
    tr -d '\r' | grep -v '^Created ' >&2 || true
  [ -s "$1" ] || { echo "pellam-db could not create $1" >&2; return 1; }
}
[ -f dist/pellam-db.exe ] || { echo "dist/pellam-db.exe is missing: build the Windows build first"; exit 1; }
create_database "$PELLAM_RIG/empty.MDB"
if [ "${1:-}" = "--reset" ] || [ ! -f dist/Pellam.MDB ]; then
  mkdir -p dist
  create_database "$PELLAM_ROOT/dist/Pellam.MDB"
  echo "Fresh database: dist/Pellam.MDB"
fi

exe_path="$(winepath -w "$PELLAM_ROOT/dist/Pellam.exe" 2>/dev/null)"
DISPLAY= wine reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\Pellam.exe' \
  /ve /d "$exe_path" /f >/dev/null 2>&1
[ -f dist/Pellam.exe ] && cp dist/Pellam.exe dist/sim/Pellam.exe
# A Wine started without a display must not outlive this script: windows
# would then fail to open in the session that follows.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
# A rename, never a write into the file a running Wine may have mapped.
installed="$WINEPREFIX/drive_c/windows/system32/drivers/pellam_vboard.sys"
built=dist/vboard/pellam_vboard.sys
if [ -f "$installed" ] && [ -f "$built" ] && ! cmp -s "$built" "$installed"; then
  cp "$built" "$installed.new" && mv "$installed.new" "$installed"
fi
exit 0
