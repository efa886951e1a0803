# Sourced by the rig scripts: the project-local Wine prefix and ODBC setup.
PELLAM_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export PELLAM_ROOT
export PELLAM_RIG="$PELLAM_ROOT/.rig"
export WINEPREFIX="$PELLAM_RIG/wineprefix"
# 64-bit unless PELLAM_WINEARCH says otherwise (the 32-bit lane's guest has
# only Wine's 32-bit loader and makes a win32 prefix).
export WINEARCH="${PELLAM_WINEARCH:-win64}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# unixODBC reads our private odbcinst.ini (the Access driver stand-in).
export ODBCSYSINI="$PELLAM_RIG/odbc"
export ODBCINI="$PELLAM_RIG/odbc/odbc.ini"
