#!/usr/bin/env bash
# Inside an X server: one keyboard-only session with the real program, started in the current
# directory. Usage: keyboard_session.sh <program> <session> <observations-file>
# Sessions: select-all-rename, move-rows, type-folder (see the functions below). What can only
# be seen while the program runs (a message box, red rows on the screen) is appended to the
# observations file as "name=value" lines; the caller judges them with the files left behind.
set -euo pipefail
bin="$1"
session="$2"
obs="$3"
pid=""
main=""

fail() {
    echo "keyboard session $session: $*" >&2
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    exit 1
}

# The first visible window whose title is exactly $1, waiting up to ten seconds.
find_window() {
    local wid=""
    for _ in $(seq 1 100); do
        wid="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)"
        [ -n "$wid" ] && break
        sleep 0.1
    done
    echo "$wid"
}

start_program() {
    "$bin" &
    pid=$!
    main="$(find_window Quorvel)"
    [ -n "$main" ] || fail "the main window did not appear"
    sleep 0.3
    focus_main
}

focus_main() {
    xdotool windowfocus --sync "$main" 2>/dev/null || true
    sleep 0.2
}

# Presses keys one after another (xdotool names), "Tab*6" presses Tab six times.
keys() {
    local key n
    for key in "$@"; do
        n=1
        if [[ "$key" == *'*'* ]]; then
            n="${key#*\*}"
            key="${key%\*"$n"}"
        fi
        for _ in $(seq 1 "$n"); do
            xdotool key --clearmodifiers "$key"
            sleep 0.15
        done
    done
}

# Types text one character at a time, as a person does.
type_slowly() {
    xdotool type --clearmodifiers --delay 120 "$1"
    sleep 0.3
}

# Waits for the message box titled $1 and answers it with Enter (its default button).
answer_box() {
    local box
    box="$(find_window "$1")"
    [ -n "$box" ] || return 1
    xdotool windowfocus --sync "$box" 2>/dev/null || true
    sleep 0.2
    xdotool key --clearmodifiers Return
    for _ in $(seq 1 50); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || break
        sleep 0.1
    done
    focus_main
}

# How many pixels of the main window are the red of the missing rows.
red_pixels() {
    local shot
    shot="$(mktemp --suffix=.png)"
    import -window "$main" "$shot"
    convert "$shot" -format %c histogram:info:- |
        sed -n 's/^ *\([0-9]*\): *( *\([0-9.]*\), *\([0-9.]*\), *\([0-9.]*\).*/\1 \2 \3 \4/p' |
        awk '$2 >= 180 && $3 <= 70 && $4 <= 70 { n += $1 } END { print n + 0 }'
    rm -f "$shot"
}

wait_end() {
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        fail "the program did not end"
    fi
    wait "$pid" || fail "the program ended with an error"
    pid=""
}

# The focus starts in the folder box. Tab order: folder, browse, list, prefix, start number,
# pattern, select all, clear all, up, down, start, settings, exit, refresh.

# Selects every row with "全選択", renames them with a prefix, leaves with "終了".
select_all_rename() {
    start_program
    keys "Tab*6" space             # 全選択: every row selected, focus to the list
    keys Tab                       # prefix box
    type_slowly "s_"
    keys Return                    # 変換開始, the default button
    answer_box "確認" || fail "no confirmation: select all left rows unselected"
    keys "Tab*9" space             # from the prefix box to 終了
    wait_end
}

# Selects rows 0 and 2, moves them up; selects rows 1 and 2, moves them down; renames all.
move_rows() {
    start_program
    keys "Tab*2"                   # the list
    keys Down ctrl+Down ctrl+Down ctrl+space
    keys "Tab*6" space             # ↑
    keys Home Down shift+Down      # the list has the focus again: rows 1 and 2
    keys "Tab*7" space             # ↓
    keys "Tab*4" space             # 全選択
    keys Tab
    type_slowly "m_"
    keys Return
    answer_box "確認" || fail "no confirmation after the moves"
    keys Escape
    wait_end
}

# Types a folder path into the emptied folder box; half-typed, the red missing rows show and
# select all is refused; completed, the folder lists and its files are renamed.
type_folder() {
    local folder="$4"
    start_program
    keys ctrl+a BackSpace
    type_slowly "${folder%ed}"
    echo "red_half_typed=$(red_pixels)" >>"$obs"
    # The list is disabled while the missing rows show, so Tab passes it by.
    keys "Tab*5" space
    if answer_box "Tessaly"; then
        echo "refused_half_typed=yes" >>"$obs"
    else
        echo "refused_half_typed=no" >>"$obs"
    fi
    keys "shift+Tab*5" End
    type_slowly "ed"
    echo "red_completed=$(red_pixels)" >>"$obs"
    keys "Tab*6" space
    keys Tab
    type_slowly "t_"
    keys Return
    answer_box "確認" || fail "no confirmation in the typed folder"
    keys "Tab*9" space
    wait_end
}

case "$session" in
select-all-rename) select_all_rename ;;
move-rows) move_rows ;;
type-folder) type_folder "$@" ;;
*) fail "unknown session" ;;
esac
