#!/usr/bin/env bash
# Builds the 32-bit lane's guest image unless the cache already has the one
# that recipe.sh, initramfs.sh and guest-setup.sh describe, and prints the
# image's folder. Runs as root on the amd64 host, with amd64 packages only:
# debootstrap downloads and unpacks the i386 packages into a folder, and
# their configuration runs inside the guest (guest-setup.sh).
set -euo pipefail
source "$(dirname "$0")/lane.sh"
source "$LANE32_DIR/recipe.sh"

image=$(lane32_image_dir)
mkdir -p "$LANE32_CACHE"
# One build at a time: a second caller waits for the first one's image.
exec 9>"$LANE32_CACHE/.lock"
flock 9
if [ -f "$image/ready" ]; then echo "$image"; exit 0; fi

work=$(mktemp -d "$LANE32_CACHE/building.XXXXXX")
trap 'rm -rf "$work"' EXIT
log="$LANE32_CACHE/image-build.log"
: >"$log"
step() { echo "$(date +%T) $*" | tee -a "$log" >&2; }

mirror=${PELLAM_DEBIAN_MIRROR:-http://deb.debian.org/debian}
root="$work/root"
step "debootstrap, first stage (i386, $LANE32_SUITE)"
debootstrap --foreign --arch=i386 --variant=minbase --include="$LANE32_PACKAGES" \
  "$LANE32_SUITE" "$root" "$mirror" >>"$log" 2>&1

archives="$root/var/cache/apt/archives"
step "kernel and busybox taken out of their packages"
dpkg-deb -x "$(ls "$archives"/linux-image-[0-9]*-686_*_i386.deb | head -n1)" "$work/kernel"
dpkg-deb -x "$(ls "$archives"/busybox_*_i386.deb | head -n1)" "$work/busybox"
version=$(ls "$work/kernel/lib/modules")
cp "$work/kernel/boot/vmlinuz-$version" "$work/vmlinuz"
"$LANE32_DIR/initramfs.sh" "$root" "$work/kernel" "$version" "$work/busybox/bin/busybox" \
  "$work/initrd.gz"

# The second stage installs what debootstrap/base lists: everything but the
# kernel and the initramfs tools.
skip="$LANE32_NOT_INSTALLED linux-image-$version"
for list in "$root/debootstrap/base" "$root/debootstrap/required"; do
  tr ' ' '\n' <"$list" | grep -vxF -f <(tr ' ' '\n' <<<"$skip") | tr '\n' ' ' >"$list.new"
  mv "$list.new" "$list"
done
for p in $skip; do rm -f "$archives/${p}_"*.deb; done
# The disk is a scratch image: dpkg need not sync every file it writes.
echo force-unsafe-io >"$root/etc/dpkg/dpkg.cfg.d/lane-unsafe-io"
install -m 755 "$LANE32_DIR/guest-setup.sh" "$root/lane-setup.sh"
# The rig's prefix script, run by guest-setup.sh: a 32-bit prefix with the
# rig's settings in $LANE32_GUEST_HOME/.rig, ready for every run.
install -D -m 755 -t "$root$LANE32_GUEST_HOME/tools/rig" \
  "$LANE32_DIR/../rig/env.sh" "$LANE32_DIR/../rig/make-prefix.sh"

step "root file system image"
mkfs.ext4 -q -F -L laneroot -d "$root" "$work/rootfs.img" "$LANE32_DISK_SIZE" >>"$log" 2>&1
rm -rf "$root" "$work/kernel" "$work/busybox"

step "second stage inside the guest (emulated i386, about 10 minutes)"
timeout 60m bash -c "source '$LANE32_DIR/lane.sh'; lane32_boot '$work' /lane-setup.sh" \
  </dev/null >"$work/setup.log" 2>&1 || true
cat "$work/setup.log" >>"$log"
grep -q "LANE: image ready" "$work/setup.log" ||
  { tail -n 40 "$work/setup.log" >&2; echo "the guest image could not be built (log: $log)" >&2; exit 1; }

rm -f "$work/setup.log"
touch "$work/ready"
rm -rf "$image"
mv "$work" "$image"
trap - EXIT
# Older images (another recipe) are not used again.
find "$LANE32_CACHE" -maxdepth 1 -name 'image-*' ! -path "$image" -exec rm -rf {} +
step "guest image ready: $image"
echo "$image"
