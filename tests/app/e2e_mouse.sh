#!/usr/bin/env bash
# The mouse alone, on four photos whose name order (a b c d), modified order (c a d b) and
# capture order (d b a c) all differ; a and b are one burst second told apart by sub-seconds.
# Every row is renamed after each step and the photos told apart by content, which shows from
# outside in which order the list stood: clicks on 更新日時 sort oldest, then newest first; the
# 撮影日時 column, shown from the header's menu, sorts by capture time; rows dragged to their
# place (also a drag cancelled with Esc and one let go outside the window). Resting the pointer
# on a picture's row shows its thumbnail, which goes into the desktop's shared cache, until the
# context menu switches thumbnails off. Both switches are saved.
. "$(dirname "$0")/xdriver.sh"
export XDG_CACHE_HOME="$WORK/cache"
mkdir photos
declare -A md5
photo() { # name colour size capture-time sub-seconds modified-year
    convert -size "$3" "xc:$2" -quality 95 "photos/$1.jpg" &&
        exiv2 -M"set Exif.Photo.DateTimeOriginal $4" "photos/$1.jpg" &&
        { [ -z "$5" ] || exiv2 -M"set Exif.Photo.SubSecTimeOriginal $5" "photos/$1.jpg"; } &&
        touch -d "$6-01-01 12:00:00Z" "photos/$1.jpg" || abort "photo $1 made"
    md5[$1]="$(md5sum <"photos/$1.jpg")"
}
photo a red 16x12 "2021:03:01 10:00:00" 70 2019
photo b 'rgb(0,200,0)' 600x400 "2021:03:01 10:00:00" 30 2021
photo c blue 16x12 "2021:03:01 11:00:00" "" 2018
photo d yellow 16x12 "2020:12:24 08:00:00" "" 2020
printf '[Data]\nFolder=%s/photos\n' "$WORK" >Qorv.ini

renamed_order() { # prefix: every row renamed, then which photo each new name holds
    local n f sum order=""
    x_click 202 57 # 全選択
    x_click 35 212 # the prefix box
    x_keys ctrl+a
    x_type "$1"
    x_keys Return
    x_answer 確認 || abort "$1: the confirmation opens"
    poll test -e "photos/${1}004.jpg"
    for n in 1 2 3 4; do
        sum="$(md5sum <"photos/${1}00$n.jpg")"
        for f in a b c d; do [ "$sum" == "${md5[$f]}" ] && order+="$f"; done
    done
    echo "$order"
}
# The header row tops the list at (10, 40); 更新日時 starts 150 pixels in; the list ends at 170.
windows() { xdotool search --onlyvisible --pid "$APP" 2>/dev/null | wc -l; }
menu_open() { [ "$(windows)" -gt "$SHOWN" ]; }
# ROW0 and ROWH: the middle of the first row and the row height, in the window, from where the
# selection is painted once the keyboard has selected the first row.
measure_rows() {
    x_click 90 120
    x_keys Home
    local x=$((LISTX + 20))
    read -r top bottom < <(import -window "$MAIN" -depth 8 -crop "1x$HEIGHT+$x+0" txt:- |
        awk -F '[(),]' 'NR > 1 && $3 < 120 && $4 > 100 && $5 > 150 {
            if (first == "") first = $2 + 0; last = $2 + 0 } END { print first, last }')
    [ -n "$top" ] || abort "the selected first row is found on the screen"
    ROWH=$((bottom - top + 1)) ROW0=$(((top + bottom) / 2))
}
row_y() { echo $((Y + ROW0 + $1 * ROWH + ${2:-0})); } # row, then a further offset in pixels
drag() { # from-row to-x to-y [keys pressed before letting go]
    local x=$((X + LISTX + 40)) y from="$(row_y "$1")" step
    xdotool mousemove "$x" "$from" mousedown 1
    sleep 0.2
    for step in 1 2 3 4 5 6; do
        xdotool mousemove $((x + ($2 - x) * step / 6)) $((from + ($3 - from) * step / 6))
        sleep 0.1
    done
    [ -n "${4:-}" ] && xdotool key "$4" && sleep 0.2
    xdotool mouseup 1
    sleep 0.3
}
green_pixels() { # of the whole screen, in the thumbnail's green
    import -window root -depth 8 png:- | convert - -fuzz 12% -fill black +opaque 'rgb(0,200,0)' \
        -fill white -opaque 'rgb(0,200,0)' -format '%[fx:round(mean*w*h)]' info:
}
shows_picture() { [ "$(green_pixels)" -gt 40000 ]; }
rest_on_row0() {
    xdotool mousemove $((X + LISTX + 30)) "$(row_y 1)"
    sleep 0.3
    xdotool mousemove $((X + LISTX + 40)) "$(row_y 0)"
}

x_start
LISTX=$(((10 * BX + 2) / 4)) header_y=$((2 + BY / 2))
x_click 10 40 180 "$header_y"
check "one click on 更新日時 sorts oldest first" cadb "$(renamed_order o)"
x_click 10 40 180 "$header_y"
x_click 10 40 180 "$header_y"
check "a second click on 更新日時 sorts newest first" bdac "$(renamed_order p)"
SHOWN="$(windows)"
xdotool mousemove $((X + LISTX + 40)) $((Y + (40 * BY + 4) / 8 + header_y)) click 3
poll menu_open || abort "a right click on the header opens its menu"
x_keys Down Return # its first item, 撮影日時
poll not menu_open || abort "the menu closes"
x_click 170 40 -20 "$header_y" # the new column's header, brought to the list's right end
check "撮影日時 sorts in capture order, the burst by sub-seconds" dbac "$(renamed_order t)"

measure_rows
drag 0 $((X + LISTX + 40)) "$(row_y 2 $((ROWH / 4)))" # d below a: b a d c
drag 3 $((X + LISTX + 40)) "$(row_y 0)" Escape          # cancelled: no change
drag 1 $((X + WIDTH + 60)) "$(row_y 3)"                 # outside the window: no change
check "the rows renamed in the order they were dragged to" badc "$(renamed_order m)"

rest_on_row0 # b, the picture
poll shows_picture
check "the tooltip shows the picture" yes "$(shows_picture && echo yes || green_pixels)"
entry="$XDG_CACHE_HOME/thumbnails/large/$(printf 'file://%s/photos/m001.jpg' "$WORK" | md5sum |
    cut -c1-32).png"
check "the thumbnail is in the shared cache for its owner alone, naming its file" \
    "600 file://$WORK/photos/m001.jpg" "$(stat -c %a "$entry") $(identify -format '%[Thumb::URI]' "$entry")"
# The context menu of the window's background: 元に戻す, then the switch.
xdotool mousemove $((X + 3)) $((Y + HEIGHT / 2)) click 3
sleep 0.5
x_keys Down Down Return
rest_on_row0
sleep 2
check "switched off, resting on the row shows no picture" 0 "$(green_pixels)"
x_focus
x_keys Escape
x_end
check "both switches saved, the other keys as always" "0 1 21 1" "$(ini Config ShowThumbnails) \
$(ini Config ShowCaptureTime) $(ini Application Version) $(ini Config SmallCheck)"
report
