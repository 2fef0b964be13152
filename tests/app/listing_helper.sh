#!/usr/bin/env bash
# Inside an X server, in a working directory whose Qorv.ini names the folder $2 holding a.txt,
# b.txt and c.txt (each holding its own letter): start the program and, as a person would,
# rename every row three times, each time after another order was made by clicking the
# modified-time header. Which letter ends up under which number shows the order the list had.
# Prints one "PASS what" or "FAIL what" line per check; exits non-zero on the first failure.
set -euo pipefail
bin="$1"
data="$2"

wait_for_window() {
    local title="$1" found=""
    for _ in $(seq 1 200); do
        found="$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | tail -n 1 || true)"
        [ -n "$found" ] && break
        sleep 0.1
    done
    echo "$found"
}

fail() {
    echo "FAIL $1"
    kill "$pid" 2>/dev/null || true
    exit 1
}

"$bin" &
pid=$!
wid="$(wait_for_window Quorvel)"
[ -n "$wid" ] || fail "the window appears"
sleep 0.3
xdotool windowfocus --sync "$wid" 2>/dev/null || true

# The window is 239 x 229 dialog units; its size gives the dialog base units back, and with
# them every control's place (x = units * baseX / 4, y = units * baseY / 8, rounded).
eval "$(xdotool getwindowgeometry --shell "$wid")"
base_x=$(((WIDTH * 4 + 119) / 239))
base_y=$(((HEIGHT * 8 + 114) / 229))
px() { echo $((($1 * base_x + 2) / 4)); }
py() { echo $((($1 * base_y + 4) / 8)); }
[ "$(px 239)" -eq "$WIDTH" ] && [ "$(py 229)" -eq "$HEIGHT" ] ||
    fail "the window is 239 x 229 dialog units (${WIDTH}x${HEIGHT} pixels)"

click_at() { # x y, in dialog units
    xdotool mousemove --sync $((X + $(px "$1"))) $((Y + $(py "$2"))) click 1
    sleep 0.3
}

# The list sits at (10, 40); its header row is at its top, and the modified-time column
# starts 150 pixels in, after the file-name column.
click_time_header() {
    xdotool mousemove --sync $((X + $(px 10) + 150 + 30)) $((Y + $(py 40) + 2 + base_y / 2)) \
        click 1
    sleep 0.3
}

# Select all, type the prefix, Enter for the start button and Enter again for the
# confirmation box; then the named files must hold the expected letters, in number order.
rename_all() { # prefix expected-letters what
    local prefix="$1" letters="$2" what="$3" box
    click_at 202 57 # 全選択
    click_at 35 212 # the prefix box
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 50 "$prefix"
    xdotool key --clearmodifiers Return
    box="$(wait_for_window 確認)"
    [ -n "$box" ] || fail "$what: the confirmation box opens"
    xdotool windowfocus --sync "$box" 2>/dev/null || true
    xdotool key --clearmodifiers Return
    for _ in $(seq 1 100); do
        [ -e "$data/${prefix}003.txt" ] && break
        sleep 0.1
    done
    local got=""
    for n in 001 002 003; do
        got+="$(cat "$data/$prefix$n.txt" 2>/dev/null || echo '?')"
    done
    [ "$got" = "$letters" ] || fail "$what: expected $letters, got $got"
    echo "PASS $what"
    xdotool windowfocus --sync "$wid" 2>/dev/null || true
    sleep 0.3
}

rename_all n abc "listed by name"
click_time_header
rename_all o bca "one click on 更新日時 sorts oldest first"
click_time_header
click_time_header
rename_all p acb "a second click on 更新日時 sorts newest first"

xdotool key --clearmodifiers Escape
for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "Esc ends the program"
wait "$pid" || fail "Esc ends the program"
echo "PASS Esc ends the program"
