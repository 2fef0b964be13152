#!/usr/bin/env bash
# Long work on a slow file system: every call inside the folder "slow" waits 150 ms, through the
# LD_PRELOAD library given as the second argument. The listing and the batch show their progress
# window; 中止 half-way keeps the files renamed so far under their new names and the rest under
# their old ones, contents intact; Ctrl+Z gives them all back. A click on 終了 while a batch runs
# does nothing. SIGTERM during a batch stops it and ends the program normally, and the next start
# undoes what it renamed.
. "$(dirname "$0")/xdriver.sh"
SHIM="$(realpath "$2")"
mkdir fast slow
for i in $(seq -w 1 12); do printf 'file %s' "$i" >"slow/f$i.txt"; done
printf '[Data]\nFolder=%s/fast\nStartNumber=001\n' "$WORK" >Qorv.ini
ORIGINAL="$(contents slow)"

slow() {
    env LD_PRELOAD="$SHIM" QUORVEL_SLOWFS_DIR="$WORK/slow" QUORVEL_SLOWFS_MS=150 \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0" "$@"
}
renamed() { find slow -name 'n_*' | wc -l; }
renamed_at_least() { [ "$(renamed)" -ge "$1" ]; }
# The folder after a batch that renamed the first $1 files.
after_batch() {
    local i out=""
    for i in $(seq -w 1 12); do
        [ "$((10#$i))" -gt "$1" ] && out+="f$i.txt=file $i "
    done
    for i in $(seq -w 1 12); do
        [ "$((10#$i))" -le "$1" ] && out+="n_0$i.txt=file $i "
    done
    echo "${out% }"
}
progress_shown() { has_box Quorvel && PROGRESS="$BOX"; }
# Another window titled Quorvel than the progress window: the box after it.
box_after_progress() { has_box Quorvel && [ "$BOX" != "$PROGRESS" ]; }
# Nothing over the main window for a second: the work and the listing after it are over.
idle() { poll not has_box Quorvel && sleep 1 && not has_box Quorvel; }
# Selects every row, then Enter in the prefix box and OK: the batch starts.
start_batch() {
    x_click 202 57 # 全選択
    x_keys Tab
    [ -n "${1:-}" ] && x_type "$1"
    x_keys Return
    x_answer 確認 || abort "the confirmation opens"
}

x_start slow
x_keys ctrl+a
x_type "$WORK/slow" # the last character lists the slow folder
shown() { PROGRESS="" && poll progress_shown && echo yes; }
check "the slow listing shows its progress" yes "$(shown)"
poll idle || abort "the listing ends"
check "every file listed" yes "$(kill -0 "$APP" && echo yes)"

start_batch n_
x_click 202 212 # 終了, while the batch runs: no handler in the middle of another
check "the batch shows its progress" yes "$(shown)"
poll renamed_at_least 4 || abort "the batch renames"
progress_shown || abort "the progress window stays while the batch runs"
x_focus "$PROGRESS"
xdotool key --clearmodifiers Escape # 中止
x_box "Quorvel" && poll box_after_progress || abort "the stop is reported"
x_focus "$BOX"
xdotool key --clearmodifiers Return
poll idle || abort "the folder is listed again"
stopped="$(renamed)"
check "stopped half-way" yes "$([ "$stopped" -ge 4 ] && [ "$stopped" -lt 12 ] && echo yes)"
check "renamed so far: new names; the rest: old names; contents intact" \
    "$(after_batch "$stopped")" "$(contents slow)"
check "終了 during the batch did nothing" yes "$(kill -0 "$APP" && echo yes)"

x_focus
x_click 90 120 # into the list: an edit box keeps Ctrl+Z for its own typing
x_keys ctrl+z
x_box 確認 || abort "the undo asks first"
xdotool key --clearmodifiers Return
poll idle || abort "the undo ends"
check "Ctrl+Z gives every file back" "$ORIGINAL" "$(contents slow)"

x_focus
start_batch
poll renamed_at_least 3 || abort "the second batch renames"
kill -s TERM "$APP"
x_end
check "SIGTERM during a batch: the program ends normally" 0 "$XSTATUS"
stopped="$(renamed)"
check "SIGTERM stops the batch" yes "$([ "$stopped" -ge 3 ] && [ "$stopped" -lt 12 ] && echo yes)"
check "SIGTERM: renamed so far: new names; the rest: old names" \
    "$(after_batch "$stopped")" "$(contents slow)"
check "SIGTERM: the folder saved" "$WORK/slow" "$(ini Data Folder)"

x_start # no delays now
x_keys Tab Tab ctrl+z # from the folder box to the list
x_answer 確認 || abort "the next start can undo"
poll idle
check "the next start gives the files back" "$ORIGINAL" "$(contents slow)"
x_keys Escape
x_end
report
