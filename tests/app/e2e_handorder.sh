#!/usr/bin/env bash
# Ordering a batch by hand with the mouse: rows dragged to their place (also a drag cancelled
# with Esc and one let go outside the window), then renamed in that order; resting the pointer
# on a picture's row shows its thumbnail, which goes into the desktop's shared cache, until the
# context menu switches thumbnails off.
. "$(dirname "$0")/xdriver.sh"
export XDG_CACHE_HOME="$WORK/cache"
mkdir files pictures
for n in a b c d; do printf '%s' "$n" >"files/$n.txt"; done
convert -size 600x400 'xc:rgb(0,200,0)' -quality 95 pictures/p.jpg
printf 'n' >pictures/z.txt # listed below the picture
printf '[Data]\nFolder=%s/files\n' "$WORK" >Qorv.ini

# ROW0 and ROWH: the middle of the first row and the row height, in the window, from where the
# selection is painted once the keyboard has selected the first row.
measure_rows() {
    x_keys "Tab*2" Home
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
# Pixels of the whole screen in the thumbnail's green.
green_pixels() {
    import -window root -depth 8 png:- | convert - -fuzz 12% -fill black +opaque 'rgb(0,200,0)' \
        -fill white -opaque 'rgb(0,200,0)' -format '%[fx:round(mean*w*h)]' info:
}
shows_picture() { [ "$(green_pixels)" -gt 40000 ]; }

x_start
LISTX=$(((10 * BX + 2) / 4))
measure_rows
drag 0 $((X + LISTX + 40)) "$(row_y 2 $((ROWH / 4)))"        # a below c: b c a d
drag 3 $((X + LISTX + 40)) "$(row_y 0)" Escape                # cancelled: no change
drag 1 $((X + WIDTH + 60)) "$(row_y 3)"                       # outside the window: no change
x_click 202 57 # 全選択
x_click 35 212 # the prefix box
x_type d_
x_keys Return
x_answer 確認 || abort "the confirmation opens"
poll test -e files/d_004.txt
check "the rows were renamed in the order they were dragged to" \
    "d_001.txt=b d_002.txt=c d_003.txt=a d_004.txt=d" "$(contents files)"
x_keys Escape
x_end

# Started afresh elsewhere, with no batch to undo.
mkdir second && cd second || exit 1
printf '[Data]\nFolder=%s/pictures\n' "$WORK" >Qorv.ini
x_start
measure_rows
xdotool mousemove $((X + LISTX + 30)) "$(row_y 0)"
sleep 0.3
xdotool mousemove $((X + LISTX + 40)) "$(row_y 0)" # at rest on p.jpg
poll shows_picture
check "the tooltip shows the picture" yes "$(shows_picture && echo yes || green_pixels)"
entry="$XDG_CACHE_HOME/thumbnails/large/$(printf 'file://%s/pictures/p.jpg' "$WORK" | md5sum |
    cut -c1-32).png"
check "the thumbnail is in the shared cache, for its owner alone" 600 "$(stat -c %a "$entry")"
check "the entry names its file" "file://$WORK/pictures/p.jpg" \
    "$(identify -format '%[Thumb::URI]' "$entry")"

# The context menu of the window's background: 元に戻す is disabled, so Down reaches the switch.
xdotool mousemove $((X + 3)) $((Y + HEIGHT / 2)) click 3
sleep 0.5
x_keys Down Return
xdotool mousemove $((X + LISTX + 30)) "$(row_y 1)"
sleep 0.3
xdotool mousemove $((X + LISTX + 40)) "$(row_y 0)"
sleep 2
check "switched off, resting on the row shows no picture" 0 "$(green_pixels)"
x_focus
x_keys Escape
x_end
check "the switch is kept" 0 "$(ini Config ShowThumbnails)"
report
