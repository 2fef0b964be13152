#!/usr/bin/env bash
# Four photos whose name order (a b c d), modified order (c a d b) and capture order (d b a c)
# all differ; a and b are one burst second told apart by sub-seconds. A right click on the
# list's header shows the 撮影日時 column, a click on its header sorts by it, and renaming every
# row must number the photos in capture order. The choice is saved and kept by the next run.
. "$(dirname "$0")/xdriver.sh"
mkdir photos
photo() { # name colour capture-time sub-seconds modified-year
    convert -size 16x12 "xc:$2" "photos/$1.jpg" &&
        exiv2 -M"set Exif.Photo.DateTimeOriginal $3" "photos/$1.jpg" &&
        { [ -z "$4" ] || exiv2 -M"set Exif.Photo.SubSecTimeOriginal $4" "photos/$1.jpg"; } &&
        touch -d "$5-01-01 12:00:00Z" "photos/$1.jpg" || abort "photo $1 made"
    md5[$1]="$(md5sum <"photos/$1.jpg")"
}
declare -A md5
photo a red "2021:03:01 10:00:00" 70 2019
photo b green "2021:03:01 10:00:00" 30 2021
photo c blue "2021:03:01 11:00:00" "" 2018
photo d yellow "2020:12:24 08:00:00" "" 2020
which_photo() { # which of the photos file $1 is, by its content
    local sum f
    sum="$(md5sum <"$1")"
    for f in a b c d; do [ "$sum" == "${md5[$f]}" ] && printf '%s' "$f"; done
}
printf '[Data]\nFolder=%s/photos\n' "$WORK" >Qorv.ini

windows() { xdotool search --onlyvisible --pid "$APP" 2>/dev/null | wc -l; }
menu_open() { [ "$(windows)" -gt "$SHOWN" ]; }
x_start
# The header row tops the list at (10, 40); the list ends at x = 170.
header_y=$((2 + BY / 2))
SHOWN="$(windows)"
xdotool mousemove $((X + (10 * BX + 2) / 4 + 40)) $((Y + (40 * BY + 4) / 8 + header_y)) click 3
poll menu_open || abort "a right click on the header opens its menu"
x_keys Down Return # its first item, 撮影日時
poll not menu_open || abort "the menu closes"
x_click 170 40 -20 "$header_y" # the new column's header, brought to the list's right end
x_click 202 57                 # 全選択
x_click 35 212                 # the prefix box
x_type trip_
x_keys Return
x_answer 確認 || abort "the confirmation opens"
poll test -e photos/trip_004.jpg
order=""
for n in 1 2 3 4; do order+="$(which_photo "photos/trip_00$n.jpg")"; done
check "renamed in capture order: the burst by sub-seconds" dbac "$order"
x_keys Escape
x_end
check "the column's state saved" 1 "$(ini Config ShowCaptureTime)"
check "the other keys as always" "21 1" "$(ini Application Version) $(ini Config SmallCheck)"

x_start
x_keys Escape
x_end
check "kept by the next run" 1 "$(ini Config ShowCaptureTime)"
check "the program ends normally" 0 "$XSTATUS"
report
