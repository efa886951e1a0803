#!/usr/bin/env bash
# Installs the Debian packages the builds, the Wine rig and the tests need.
# Idempotent: does nothing when everything is present; otherwise runs
# `apt-get update` once and installs only what is missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config libgtest-dev libbenchmark-dev xdotool
  mingw-w64 wine64 xvfb x11-utils imagemagick
  unixodbc unixodbc-dev libsqliteodbc sqlite3 gcc
  libxmp-dev libopenmpt-dev clang libclang-rt-14-dev clang-format
  nsis 7zip python3 gnuplot-nox osslsigncode openssl
  qemu-system-x86 qemu-utils debootstrap cpio e2fsprogs
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
