# Sourced. Makes an image of a FAT, exFAT or NTFS file system in a temporary folder and mounts it
# the way Linux mounts users' cards and drives: FAT through fusefat, exFAT through exfat-fuse on a
# loop device, NTFS through ntfs-3g. fs_mount sets FS_MOUNT; fs_unmount undoes all of it and may
# run more than once, so that an EXIT trap can call it whatever happened before.
FS_DIR="" FS_MOUNT="" FS_LOOP=""
PATH="$PATH:/usr/sbin:/sbin"

fs_skip() { # the one line that says what is skipped and why; CI runs them or fails
    echo "SKIPPED: $*"
    [ "${CI:-}" = true ] && exit 1
    exit 77
}

fs_mount() { # fat | exfat | ntfs
    local type="$1" tool tools
    case "$type" in
    fat) tools="mkfs.vfat fusefat" ;;
    exfat) tools="mkfs.exfat mount.exfat-fuse losetup" ;;
    ntfs) tools="mkntfs ntfs-3g" ;;
    *) echo "no such file system: $type" && exit 2 ;;
    esac
    [ -c /dev/fuse ] || fs_skip "the $type tests: this machine has no /dev/fuse"
    for tool in $tools mountpoint; do
        command -v "$tool" >/dev/null || fs_skip "the $type tests: $tool is not installed"
    done
    [ "$type" != exfat ] || [ "$(id -u)" -eq 0 ] || fs_skip "the exfat tests: a loop device needs root"
    FS_DIR="$(mktemp -d)" FS_MOUNT="$FS_DIR/mnt"
    mkdir "$FS_MOUNT"
    truncate -s 32M "$FS_DIR/image"
    case "$type" in
    fat) mkfs.vfat "$FS_DIR/image" >/dev/null && fusefat -o rw+ "$FS_DIR/image" "$FS_MOUNT" >/dev/null 2>&1 ;;
    exfat) mkfs.exfat "$FS_DIR/image" >/dev/null && FS_LOOP="$(losetup -f --show "$FS_DIR/image")" &&
        mount.exfat-fuse "$FS_LOOP" "$FS_MOUNT" >/dev/null 2>&1 ;;
    ntfs) mkntfs -F -Q -q "$FS_DIR/image" >/dev/null 2>&1 && ntfs-3g "$FS_DIR/image" "$FS_MOUNT" ;;
    esac
    mountpoint -q "$FS_MOUNT" || fs_skip "the $type tests: the image could not be mounted through FUSE"
}

fs_unmount() {
    if [ -n "$FS_MOUNT" ] && mountpoint -q "$FS_MOUNT"; then
        umount "$FS_MOUNT" 2>/dev/null || fusermount -u "$FS_MOUNT" 2>/dev/null ||
            umount -l "$FS_MOUNT"
    fi
    [ -z "$FS_LOOP" ] || losetup -d "$FS_LOOP"
    # Never a recursive removal through a mount that is still there.
    [ -z "$FS_DIR" ] || mountpoint -q "$FS_MOUNT" || rm -rf "$FS_DIR"
    FS_DIR="" FS_MOUNT="" FS_LOOP=""
}
