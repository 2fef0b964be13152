#!/usr/bin/env bash
# A camera card as users have one: a FAT image mounted through fusefat, which gives each spelling
# of a name its own inode number. Every file selected, prefix IMG_, start 0001, lower-case
# extensions: each new name differs from the old one in letter case only, every file is renamed
# and no failure box shows; Ctrl+Z in the list gives the old names back. The journal reaches the
# disk before the first rename, and the card's folder after the last.
. "$(dirname "$0")/xdriver.sh"
. "$(dirname "$0")/../support/fsimage.sh"
XD_AT_EXIT=fs_unmount
fs_mount fat
card="$FS_MOUNT/DCIM"

renamed_as() { [ "$(contents "$1")" == "$2" ]; }
mkdir "$card"
for name in IMG_0001.JPG IMG_0002.JPG; do printf '%s' "$name" >"$card/$name"; done
printf '[Data]\nFolder=%s\nStartNumber=0001\n' "$card" >Qorv.ini
x_start strace -f -qq -y -e trace=fsync,rename,renameat2 -o trace
x_keys "Tab*6" space Tab # 全選択, then the prefix
x_type IMG_
x_keys Return
x_answer 確認 || abort "the confirmation opens"
poll renamed_as "$card" "IMG_0001.jpg=IMG_0001.JPG IMG_0002.jpg=IMG_0002.JPG"
sleep 0.5
check "no failure box after a case-only batch" "" "$(window Quorvel)"
check "a case-only batch renames every file" \
    "IMG_0001.jpg=IMG_0001.JPG IMG_0002.jpg=IMG_0002.JPG" "$(contents "$card")"
x_keys shift+Tab ctrl+z # from the prefix box, which keeps Ctrl+Z for its typing, to the list
x_answer 確認 || abort "the undo asks first"
poll renamed_as "$card" "IMG_0001.JPG=IMG_0001.JPG IMG_0002.JPG=IMG_0002.JPG"
check "the undo gives every old name back" \
    "IMG_0001.JPG=IMG_0001.JPG IMG_0002.JPG=IMG_0002.JPG" "$(contents "$card")"
x_keys Escape
x_end

# The order of the calls in the trace, by line: the journal's file synced, the journal renamed into
# place, its folder synced, the photos renamed, the card's folder synced, the journal with the
# progress renamed into place; the undo follows.
lines() { grep -n -E "$1" trace | cut -d: -f1; }
J="$XDG_STATE_HOME/quorvel" # the journal's folder
journal_placed="$(lines "rename\\(\"$J/\\.[0-9a-f]*\\.undo\\.[^\"]*\", \"$J/[0-9a-f]*\\.undo\"" | head -n 2)"
j1="$(sed -n 1p <<<"$journal_placed")" j2="$(sed -n 2p <<<"$journal_placed")"
renames="$(lines "rename.*<$card>" | awk -v a="${j1:-0}" -v b="${j2:-0}" '$1 > a && $1 < b')"
r1="$(head -n 1 <<<"$renames")" rn="$(tail -n 1 <<<"$renames")"
between() { # pattern from to: whether a call matching it lies between the two lines
    [ -n "$2" ] && [ -n "$3" ] && lines "$1" | awk -v a="$2" -v b="$3" '$1 > a && $1 < b { f = 1 } END { exit !f }'
}
in_order() { "$@" && echo yes || echo no; }
check "the journal's file reaches the disk before it is put in place" yes \
    "$(in_order between "fsync\\([0-9]+<$J/\\.[0-9a-f]*\\.undo\\." 0 "$j1")"
check "the journal's folder reaches the disk before the first rename" yes \
    "$(in_order between "fsync\\([0-9]+<$J>\\)" "$j1" "$r1")"
check "the card's folder reaches the disk after the last rename, before the journal says so" yes \
    "$(in_order between "fsync\\([0-9]+<$card>\\)" "$rn" "$j2")"
undone="$(lines "rename.*<$card>" | awk -v b="${j2:-0}" '$1 > b' | tail -n 1)"
check "the card's folder reaches the disk after the undo" yes \
    "$(in_order between "fsync\\([0-9]+<$card>\\)" "$undone" 999999)"
report
