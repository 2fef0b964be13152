#!/usr/bin/env bash
# A camera card as users have one: a FAT image mounted through fusefat, which gives each spelling
# of a name its own inode number. Every file selected, prefix IMG_, start 0001, lower-case
# extensions: each new name differs from the old one in letter case only, every file is renamed
# and no failure box shows; Ctrl+Z gives the old names back. The journal reaches the disk before
# the first rename, and the card's folder after the last. A new name that another file holds in
# another letter case stops the run at that row with the failure box, the other file untouched.
. "$(dirname "$0")/xdriver.sh"
. "$(dirname "$0")/../support/fsimage.sh"
XD_AT_EXIT=fs_unmount
fs_mount fat
card="$FS_MOUNT/DCIM"

start_on() { # folder files...: each holds its own name
    local folder="$1"
    shift
    mkdir "$folder"
    for name in "$@"; do printf '%s' "$name" >"$folder/$name"; done
    printf '[Data]\nFolder=%s\nStartNumber=0001\n' "$folder" >Qorv.ini
}
renamed_as() { [ "$(contents "$1")" == "$2" ]; }

start_on "$card" IMG_0001.JPG IMG_0002.JPG
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
x_keys ctrl+z
x_answer Quorvel || abort "the undo asks first"
poll renamed_as "$card" "IMG_0001.JPG=IMG_0001.JPG IMG_0002.JPG=IMG_0002.JPG"
check "the undo gives every old name back" \
    "IMG_0001.JPG=IMG_0001.JPG IMG_0002.JPG=IMG_0002.JPG" "$(contents "$card")"
x_keys Escape
x_end

# Line numbers in the trace: the journal's file and folder synced, the first rename of a photo,
# the last call that renamed one, the card's folder synced.
first() { grep -n -m 1 -E "$1" trace | cut -d: -f1; }
journal_synced="$(first "fsync\([0-9]+<$WORK/\.Qorv\.undo\.[^>]*>\)")"
work_synced="$(first "fsync\([0-9]+<$WORK>\)")"
first_rename="$(first 'renameat2\(.*"IMG_0001\.JPG"')"
last_rename="$(grep -n -E 'rename.*<'"$card"'>' trace | sed -n '$s/:.*//p')"
card_synced="$(grep -n -E "fsync\([0-9]+<$card>\)" trace | cut -d: -f1 | awk -v r="$last_rename" '$1 > r { print; exit }')"
check "the journal reaches the disk before the first rename" "yes yes" \
    "$([ "${journal_synced:-99999}" -lt "${first_rename:-0}" ] && echo yes) $([ "${work_synced:-99999}" -lt "${first_rename:-0}" ] && echo yes)"
check "the card's folder reaches the disk after the last rename" yes \
    "$([ -n "$card_synced" ] && echo yes)"

start_on "$FS_MOUNT/clash" a.jpg b.jpg IMG_0002.JPG
x_start
x_keys Tab Tab Home shift+Down Tab # the first two rows, then the prefix
x_type IMG_
x_keys Return
x_answer 確認 || abort "the confirmation opens"
x_answer Quorvel || abort "the clash is reported"
x_keys Escape
x_end
check "another file in another letter case stops the run there" \
    "IMG_0001.jpg=a.jpg IMG_0002.JPG=IMG_0002.JPG b.jpg=b.jpg" "$(contents "$FS_MOUNT/clash")"
report
