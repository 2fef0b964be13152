#!/usr/bin/env bash
# on_image.sh fat|exfat|ntfs TEST...: runs each test program on a freshly made and mounted image
# of that file system, named to them in QUORVEL_TEST_FS and QUORVEL_TEST_FOLDER. The image is
# unmounted and removed however the tests end.
set -uo pipefail
. "$(dirname "$0")/fsimage.sh"
type="$1"
shift
trap fs_unmount EXIT
trap 'exit 1' INT TERM
fs_mount "$type"
status=0
for test in "$@"; do
    QUORVEL_TEST_FS="$type" QUORVEL_TEST_FOLDER="$FS_MOUNT" "$test" || status=1
done
exit "$status"
