#!/usr/bin/env bash
# Renames as a person asks: the first three rows selected with the keyboard, a prefix typed,
# Enter for the start button, Enter for OK, Esc to close. Every file must carry its new name
# with its own content. Where the second new name is an unselected file's, the first file is
# renamed, the clash is reported and the rest stay as they were; nothing is lost either way.
. "$(dirname "$0")/xdriver.sh"

rename_first_three() { # folder files...: each holds its own name
    local folder="$1"
    shift
    mkdir "$folder"
    for name in "$@"; do printf '%s' "$name" >"$folder/$name"; done
    printf '[Data]\nFolder=%s/%s\nStartNumber=001\nKaku=*.*\n' "$WORK" "$folder" >Qorv.ini
    x_start
    # The focus starts in the folder box; Tab, Tab reaches the list, in name order.
    x_keys Tab Tab Home shift+Down shift+Down Tab
    x_type trip_
    x_keys Return
    x_answer 確認 || abort "the confirmation opens"
}

rename_first_three photos c.jpg a.jpg d.jpg b.jpg
x_keys Escape
x_end
check "every file renamed in list order" \
    "d.jpg=d.jpg trip_001.jpg=a.jpg trip_002.jpg=b.jpg trip_003.jpg=c.jpg" "$(contents photos)"
check "the folder saved on Esc" "$WORK/photos 001" "$(ini Data Folder) $(ini Data StartNumber)"

rename_first_three clash a.jpg b.jpg c.jpg trip_002.jpg
x_answer Quorvel || abort "the clash is reported"
x_keys Escape
x_end
check "a clash halfway stops the batch" \
    "b.jpg=b.jpg c.jpg=c.jpg trip_001.jpg=a.jpg trip_002.jpg=trip_002.jpg" "$(contents clash)"
check "the program ends normally" 0 "$XSTATUS"
report
