# Sourced by the rig scripts: the project-local Wine prefix and ODBC setup.
PELLAM_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export PELLAM_ROOT
export PELLAM_RIG="$PELLAM_ROOT/.rig"
export WINEPREFIX="$PELLAM_RIG/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# unixODBC reads our private odbcinst.ini (the Access driver stand-in).
export ODBCSYSINI="$PELLAM_RIG/odbc"
export ODBCINI="$PELLAM_RIG/odbc/odbc.ini"
