#!/usr/bin/env bash
# The 32-bit lane: runs the project's Windows test programs, built for i686
# in the i686 release build's folder (build/release-x86: the release's own
# compiler flags), inside an emulated i386 Debian guest with Wine's 32-bit
# loader, and reports them here. This machine runs no 32-bit code itself.
#   tools/lane32/run.sh [--no-package]
# --no-package: the x86 release (tools/package.sh x86) is made already.
# Prints a line per group and ends with "32-bit lane: N passed, N failed";
# exits 0 only when every group ran and nothing failed. Results and logs:
# build/lane32/ (results.txt, guest.log, console.log, logs/).
set -uo pipefail
cd "$(dirname "$0")/../.."
ROOT=$(pwd)
source tools/lane32/lane.sh
build=build/release-x86
out="$ROOT/build/lane32"
log_dir="$ROOT/build/logs"
mkdir -p "$log_dir"
started=$(date +%s)

fail() { echo "$*"; echo "32-bit lane: 0 passed, 1 failed"; exit 1; }
elapsed() { echo "$(($(date +%s) - $1)) s"; }

tools/rig/install-deps.sh || fail "installing packages failed"
t=$(date +%s)
image=$(tools/lane32/image.sh) || fail "the guest image could not be built"
echo "guest image: $image ($(elapsed "$t"))"

t=$(date +%s)
if [ "${1:-}" != "--no-package" ]; then
  tools/package.sh x86 >"$log_dir/lane32-package.log" 2>&1 ||
    { tail -n 30 "$log_dir/lane32-package.log"; fail "the x86 release build failed"; }
fi
# The test programs of tests.txt and what they start or load.
targets=(wine_keepalive pellam_access_setup Pellam_DLL_sim simctl pellamctl pellam_db)
targets+=($(awk '!/^#/ && NF { sub(/\.exe$/, "", $2); print $2 }' tools/lane32/tests.txt | sort -u))
# The release's own configuration, refreshed for targets added since.
{ cmake "$build" && cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"; } \
  >"$log_dir/lane32-build.log" 2>&1 ||
  { tail -n 30 "$log_dir/lane32-build.log"; fail "the i686 test programs did not build"; }
# The x86 setup and its payload where the installer test looks (its build's dist/).
mkdir -p dist .rig
rm -rf "$build/dist/release"
mkdir -p "$build/dist/release"
cp -r dist/release/PellamSetup-x86.exe dist/release/x86 "$build/dist/release/" ||
  fail "the x86 release (dist/release/) is missing"
echo "i686 test programs: $build/bin ($(elapsed "$t"))"

rm -rf "$out"
mkdir -p "$out"
t=$(date +%s)
# -snapshot: the guest's writes go to a temporary overlay, the image stays as built.
timeout 45m bash -c "source tools/lane32/lane.sh; lane32_boot '$image' \
  /mnt/share/tools/lane32/guest-run.sh '$ROOT' 'lane_root=$ROOT lane_build=$build' -snapshot" \
  </dev/null >"$out/console.log" 2>&1
echo "guest run: $(elapsed "$t")"
[ -s "$out/results.txt" ] || { tail -n 20 "$out/console.log" "$out/guest.log" 2>/dev/null; fail "the guest reported nothing"; }

# Steps before the tests (prefix, set-up, display) that failed count as failures.
awk -F'\t' '$1 == "phase" { printf "  %-12s %s s%s\n", $2, $4, ($3 == "FAIL" ? "  FAILED" : "") }' \
  "$out/results.txt"
passed=0
failed=$(awk -F'\t' '$1 == "phase" && $3 == "FAIL"' "$out/results.txt" | wc -l)
for group in $(awk '!/^#/ && NF { print $1 }' tools/lane32/tests.txt | uniq); do
  p=$(awk -F'\t' -v g="$group" '$1 == g && $3 == "PASS"' "$out/results.txt" | wc -l)
  f=$(awk -F'\t' -v g="$group" '$1 == g && $3 != "PASS"' "$out/results.txt" | wc -l)
  s=$(awk -F'\t' -v g="$group" '$1 == g { s += $4 } END { printf "%.0f", s }' "$out/results.txt")
  # A group that ran nothing has failed.
  [ $((p + f)) -eq 0 ] && f=1
  echo "  $group: $p passed, $f failed, $s s"
  awk -F'\t' -v g="$group" '$1 == g && $3 != "PASS" { print "    FAILED " $2 " (build/lane32/logs/)" }' "$out/results.txt"
  passed=$((passed + p))
  failed=$((failed + f))
done
echo "32-bit lane took $(elapsed "$started")"
echo "32-bit lane: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
