#!/bin/sh
# The guest image's second stage, run inside the emulated i386 guest as its
# first process (debootstrap unpacks the packages on the host but can only
# configure them on the guest's own processor); then the rig's Wine prefix,
# 32-bit, made once here rather than in every run. Ends with "LANE: image
# ready" on the serial console, then powers the guest off.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root
echo "LANE: second stage from $(date +%T)"
if /debootstrap/debootstrap --second-stage; then
  apt-get clean
  # Documentation and translations: nothing in the lane reads them.
  rm -rf /usr/share/doc/* /usr/share/man/* /usr/share/info/* /var/lib/apt/lists/*
  find /usr/share/locale -mindepth 1 -maxdepth 1 ! -name 'en*' -exec rm -rf {} +
  # debootstrap unmounts /proc on its way out.
  mount -t proc proc /proc
  mount -t tmpfs tmpfs /tmp
  echo "LANE: Wine prefix from $(date +%T)"
  if PELLAM_WINEARCH=win32 /var/lib/lane/tools/rig/make-prefix.sh; then
    rm -rf /tmp/.wine-*
    echo "LANE: image ready at $(date +%T)"
  else
    echo "LANE: the Wine prefix could not be made"
  fi
else
  echo "LANE: second stage failed"
  tail -n 40 /debootstrap/debootstrap.log
fi
sync
mount -t proc proc /proc 2>/dev/null
echo o >/proc/sysrq-trigger
