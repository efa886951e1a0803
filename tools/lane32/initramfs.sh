#!/usr/bin/env bash
# Makes the guest's initramfs: busybox, the modules for the virtio disk,
# ext4 and 9p (the Debian kernel has them as modules), and an init that
# mounts the root disk and the host's shared folder (/mnt/share), then hands
# over to the program named by laneinit= on the kernel line. Nothing here
# runs 32-bit code on the host: the files are only copied.
#   initramfs.sh ROOTFS KERNEL_TREE KERNEL_VERSION BUSYBOX OUT
set -euo pipefail
root=$1 kernel_tree=$2 version=$3 busybox=$4 out=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work"/{bin,lib/i386-linux-gnu,mods,proc,sys,dev,newroot}
cp "$busybox" "$work/bin/busybox"
cp -L "$root/usr/lib/ld-linux.so.2" "$work/lib/"
for lib in libc.so.6 libresolv.so.2; do
  cp -L "$root/usr/lib/i386-linux-gnu/$lib" "$work/lib/i386-linux-gnu/"
done
for applet in sh mount umount insmod switch_root cat mkdir sleep; do
  ln -s busybox "$work/bin/$applet"
done
# Dependencies first: the init loads them in this order.
modules="lib/crc16.ko fs/mbcache.ko fs/jbd2/jbd2.ko fs/ext4/ext4.ko crypto/crc32c_generic.ko
drivers/virtio/virtio.ko drivers/virtio/virtio_ring.ko drivers/virtio/virtio_pci_legacy_dev.ko
drivers/virtio/virtio_pci_modern_dev.ko drivers/virtio/virtio_pci.ko drivers/block/virtio_blk.ko
fs/netfs/netfs.ko fs/fscache/fscache.ko net/9p/9pnet.ko net/9p/9pnet_virtio.ko fs/9p/9p.ko"
: >"$work/mods/order"
for m in $modules; do
  src="$kernel_tree/lib/modules/$version/kernel/$m"
  [ -f "$src" ] || continue
  cp "$src" "$work/mods/"
  basename "$m" >>"$work/mods/order"
done
cat >"$work/init" <<'INIT'
#!/bin/sh
mount -t proc proc /proc; mount -t sysfs sys /sys; mount -t devtmpfs dev /dev
for m in $(cat /mods/order); do insmod /mods/$m 2>/dev/null; done
next=/sbin/init
for a in $(cat /proc/cmdline); do case $a in laneinit=*) next=${a#laneinit=};; esac; done
tries=0
until mount -t ext4 -o rw /dev/vda /newroot 2>/dev/null; do
  tries=$((tries + 1)); [ $tries -ge 50 ] && { echo "LANE: no root disk"; exit 1; }; sleep 0.1
done
mkdir -p /newroot/mnt/share
# cache=loose: through the page cache. Uncached, a single large read can
# come back short, and Wine reads a PE section whose file offset is not
# page-aligned with one read and no check: the test programs (1.5 MB and
# more) then start with zeros where their code should be. The host leaves
# the tree alone while the guest runs.
mount -t 9p -o trans=virtio,version=9p2000.L,cache=loose,msize=512000 share /newroot/mnt/share 2>/dev/null
umount /proc /sys
mount --move /dev /newroot/dev 2>/dev/null || umount /dev
exec switch_root /newroot "$next"
INIT
chmod +x "$work/init"
(cd "$work" && find . | cpio -o -H newc --quiet | gzip -1) >"$out"
