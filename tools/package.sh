#!/usr/bin/env bash
# Makes a release: optimised, stripped builds for x86_64 and i686 (static
# C/C++ runtime) and their installers.
#   tools/package.sh [x64|x86 ...]     (both when none is named)
# Results in dist/release/: x64/ and x86/ (Pellam.exe, Pellam_DLL.dll,
# pellamctl.exe, pellam-db.exe, licenses/) and PellamSetup-x64.exe,
# PellamSetup-x86.exe.
# The builds live in build/release-x64 and build/release-x86.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
release="$ROOT/dist/release"
log_dir="$ROOT/build/logs"
mkdir -p "$release" "$log_dir"

package() { # x64|x86
  local arch=$1 toolchain dir="build/release-$1"
  case "$arch" in
    x64) toolchain=cmake/mingw-w64-x86_64.cmake ;;
    x86) toolchain=cmake/mingw-w64-i686.cmake ;;
    *) echo "unknown architecture: $arch"; return 1 ;;
  esac
  echo "Release build $arch"
  # The build's own dist/ keeps the debug rig's dist/ out of reach.
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DPELLAM_DIST_DIR="$ROOT/$dir/dist" \
    -DCMAKE_EXE_LINKER_FLAGS_RELEASE=-s -DCMAKE_SHARED_LINKER_FLAGS_RELEASE=-s \
    >"$log_dir/configure-release-$arch.log" 2>&1
  cmake --build "$dir" -j"$(nproc)" --target Pellam Pellam_DLL pellamctl pellam_db \
    >"$log_dir/build-release-$arch.log" 2>&1 ||
    { tail -n 30 "$log_dir/build-release-$arch.log"; return 1; }
  local payload="$release/$arch"
  rm -rf "$payload"
  mkdir -p "$payload/licenses"
  cp "$dir/dist/Pellam.exe" "$dir/dist/Pellam_DLL.dll" "$dir/dist/pellamctl.exe" \
    "$dir/dist/pellam-db.exe" "$payload/"
  cp docs/licenses/*.txt "$payload/licenses/"
  makensis -V2 -DARCH="$arch" -DPAYLOAD="$payload" -DOUTFILE="$release/PellamSetup-$arch.exe" \
    installer/pellam.nsi >"$log_dir/makensis-$arch.log" 2>&1 ||
    { cat "$log_dir/makensis-$arch.log"; return 1; }
}

archs=("$@")
[ ${#archs[@]} -gt 0 ] || archs=(x64 x86)
for arch in "${archs[@]}"; do package "$arch"; done
cd "$release"
for f in */*.exe */*.dll PellamSetup-*.exe; do printf '%9d  %s\n' "$(stat -c %s "$f")" "$f"; done
