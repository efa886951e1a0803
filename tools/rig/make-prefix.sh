#!/usr/bin/env bash
# Creates the project-local Wine prefix once and applies the settings the
# tests depend on: a crashing program must exit non-zero at once, windows
# must not wait for a window manager, and no sound device is used.
set -euo pipefail
source "$(dirname "$0")/env.sh"

stamp="$WINEPREFIX/.pellam-prefix-v1"
if [ -f "$stamp" ]; then exit 0; fi

rm -rf "$WINEPREFIX"
mkdir -p "$PELLAM_RIG"
DISPLAY= wineboot -i >/dev/null 2>&1
wineserver -w

reg() { DISPLAY= wine reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null 2>&1; }
# Empty debugger: a crash ends the process with a non-zero status.
reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' Debugger REG_SZ ''
reg 'HKCU\Software\Wine\WineDbg' ShowCrashDialog REG_DWORD 0
# Unmanaged windows: no 2 s wait per hidden or destroyed top-level window.
reg 'HKCU\Software\Wine\X11 Driver' Managed REG_SZ N
# No audio driver: waveOutOpen fails at once instead of probing ALSA.
reg 'HKCU\Software\Wine\Drivers' Audio REG_SZ ''
# Wine's own fonts (Tahoma, Marlett) where dialogs look for them.
cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
wineserver -k || true
wineserver -w || true
touch "$stamp"
echo "Wine prefix ready: $WINEPREFIX"
