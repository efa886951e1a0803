# Sourced by the 32-bit lane's scripts: where the guest image is kept and how
# the guest is booted.
#
# The image (an i386 Debian 12 root file system with Wine's 32-bit loader,
# its kernel and a small initramfs) lives outside the repository, in
# $PELLAM_LANE32_CACHE (default ~/.cache/pellam-lane32), in a folder named
# after a hash of the scripts that make it: it is reused while they are
# unchanged and rebuilt when one of them changes.
LANE32_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
LANE32_CACHE="${PELLAM_LANE32_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/pellam-lane32}"

# The files whose content decides what the image holds (the image keeps a
# Wine prefix made by the rig's own script).
lane32_recipe_files() {
  local rig="$LANE32_DIR/../rig"
  echo "$LANE32_DIR/recipe.sh" "$LANE32_DIR/initramfs.sh" "$LANE32_DIR/guest-setup.sh" \
    "$rig/env.sh" "$rig/make-prefix.sh"
}
# Where the image keeps the rig's scripts and its prefix (the guest's .rig).
LANE32_GUEST_HOME=/var/lib/lane

lane32_image_dir() {
  local hash
  # shellcheck disable=SC2046
  hash=$(cat $(lane32_recipe_files) | sha256sum | cut -c1-16)
  echo "$LANE32_CACHE/image-$hash"
}

# Boots the guest once (one virtual CPU under TCG: the i386 guest kernel
# does not start under KVM here) and returns when it powers off.
#   lane32_boot IMAGE_DIR INIT [SHARE_DIR] [KERNEL ARGUMENTS] [QEMU ARGUMENTS...]
# INIT is the guest's first process (a path inside the guest); SHARE_DIR is
# shared read-write over 9p (mounted at /mnt/share in the guest). SMAP and
# SMEP are off: with them the guest kernel oopses on Wine's return path from
# exceptions and every Wine process dies. panic=-1 lets qemu end when the
# init exits without powering off.
lane32_boot() {
  local image=$1 init=$2 share=${3:-} args=${4:-}
  shift $(($# < 4 ? $# : 4))
  local share_args=()
  [ -n "$share" ] &&
    share_args=(-virtfs "local,path=$share,mount_tag=share,security_model=none,id=share")
  qemu-system-i386 -accel tcg,thread=single -cpu max,-smap,-smep -smp 1 -m 2048 \
    -nographic -nodefaults -serial stdio -no-reboot \
    -kernel "$image/vmlinuz" -initrd "$image/initrd.gz" \
    -append "console=ttyS0 quiet loglevel=3 panic=-1 laneinit=$init $args" \
    -drive "file=$image/rootfs.img,format=raw,if=virtio,cache=unsafe" \
    "${share_args[@]}" "$@"
}
