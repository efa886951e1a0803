# Sourced: what the 32-bit lane's guest image holds. The hash of this file,
# initramfs.sh, guest-setup.sh and the rig's env.sh and make-prefix.sh (the
# image keeps a prefix they make) names the cached image, so a change to
# any of them makes the next run build a new image.
#
# Debian 12 for i386 with Wine's 32-bit loader, an X server for the
# windows, and gcc with unixODBC and the SQLite ODBC driver (the guest
# builds the Access-driver stand-in for itself). The kernel package is
# downloaded only to take the kernel and its modules out of it: the guest
# is booted from outside, so the kernel and the initramfs tools are never
# installed (their initramfs rebuilds were half of the build's time).
LANE32_SUITE=bookworm
LANE32_PACKAGES=wine,wine32,fonts-wine,xvfb,busybox,linux-image-686,unixodbc,unixodbc-dev,libsqliteodbc,gcc,libc6-dev
LANE32_NOT_INSTALLED="linux-image-686 initramfs-tools initramfs-tools-core klibc-utils libklibc linux-base"
LANE32_DISK_SIZE=4G
