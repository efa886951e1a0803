#!/usr/bin/env bash
# Prepares everything Pellam.exe needs around it in the project's Wine
# prefix, as an installer would:
#  - the "Microsoft Access Driver (*.mdb)" stand-in, registered with unixODBC
#    in a project-local odbcinst.ini;
#  - the Access Database Engine's driver name registered as missing, so a
#    connection under it gets the answer Windows gives (SQLSTATE IM002);
#  - .rig/empty.MDB, a database with the tables and no rows (tests copy it);
#  - dist/Pellam.MDB, kept when it exists (--reset makes it fresh);
#  - the installation record naming dist/Pellam.exe;
#  - dist/sim/Pellam.exe, the program beside the simulated-board library.
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

rm -f "$PELLAM_RIG/empty.MDB"
sqlite3 "$PELLAM_RIG/empty.MDB" <db/schema.sql
if [ "${1:-}" = "--reset" ] || [ ! -f dist/Pellam.MDB ]; then
  mkdir -p dist
  cp "$PELLAM_RIG/empty.MDB" dist/Pellam.MDB
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
exit 0
