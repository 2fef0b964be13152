#!/usr/bin/env bash
# The keyboard alone, then long work. A first start in an empty directory leaves the five keys.
# Rows moved with the arrow buttons, three selected with Shift, a prefix and Enter: renamed in
# the list's order, the others untouched. A folder typed character by character on a slow file
# system (every call inside "slow" waits 150 ms, through the LD_PRELOAD library given as the
# second argument) shows the progress window; 中止 half-way keeps the files renamed so far under
# their new names, the rest under their old ones, contents intact; 終了 clicked meanwhile does
# nothing; Ctrl+Z gives them all back. SIGTERM during a batch ends the program normally and the
# next start undoes what it renamed; SIGINT over the confirmation saves what was typed and
# renames nothing.
. "$(dirname "$0")/xdriver.sh"
SHIM="$(realpath "$2")"
x_start
x_keys Escape
x_end
check "a first start leaves the five keys" "[Application] Version=21 [Data] Folder=$WORK \
StartNumber=001 Kaku=*.* [Config] SmallCheck=1" "$(grep -v '^[[:space:]]*$' Qorv.ini | paste -sd' ')"

mkdir files slow
for n in a b c d; do printf '%s' "$n" >"files/$n.txt"; done
for i in $(seq -w 1 12); do printf 'file %s' "$i" >"slow/f$i.txt"; done
printf '[Data]\nFolder=%s/files\nStartNumber=001\n' "$WORK" >Qorv.ini
ORIGINAL="$(contents slow)"

# Rows 0 and 2 up (Tab order: folder, browse, list, prefix, start number, pattern, select all,
# clear all, up, down, ...): a c b d; the first three renamed.
x_start
x_keys "Tab*2" Down ctrl+Down ctrl+Down ctrl+space "Tab*6" space # ↑
x_keys Home shift+Down shift+Down Tab # ↑ leaves the focus in the list
x_type m_
x_keys Return
x_answer 確認 || abort "the confirmation opens"
poll test -e files/m_003.txt
x_click 202 212 # 終了
x_end
check "moved and selected rows renamed in the list's order; 終了 saves the folder" \
    "d.txt=d m_001.txt=a m_002.txt=c m_003.txt=b $WORK/files" "$(contents files) $(ini Data Folder)"

renamed() { find slow -name 'n_*' | wc -l; }
renamed_at_least() { [ "$(renamed)" -ge "$1" ]; }
after_batch() { # the slow folder after a batch that renamed the first $1 files
    local i out="" new=""
    for i in $(seq -w 1 12); do
        if [ "$((10#$i))" -gt "$1" ]; then out+="f$i.txt=file $i "; else new+="n_0$i.txt=file $i "; fi
    done
    echo "$out${new% }" | sed 's/ $//'
}
progress_shown() { has_box Quorvel && PROGRESS="$BOX"; }
shown() { PROGRESS="" && poll progress_shown && echo yes; }
box_after_progress() { has_box Quorvel && [ "$BOX" != "$PROGRESS" ]; }
# Nothing over the main window for a second: the work and the listing after it are over.
idle() { poll not has_box Quorvel && sleep 1 && not has_box Quorvel; }
start_batch() { # every row selected, then Enter in the prefix box and OK
    x_click 202 57 # 全選択
    x_keys Tab
    [ -n "${1:-}" ] && x_type "$1"
    x_keys Return
    x_answer 確認 || abort "the confirmation opens"
}

x_start env LD_PRELOAD="$SHIM" QUORVEL_SLOWFS_DIR="$WORK/slow" QUORVEL_SLOWFS_MS=150 \
    ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0"
x_keys ctrl+a
x_type "$WORK/slow" # the last character lists the slow folder
check "the slow listing shows its progress" yes "$(shown)"
poll idle || abort "the listing ends"
start_batch n_
x_click 202 212 # 終了, while the batch runs: no handler in the middle of another
check "the batch shows its progress" yes "$(shown)"
poll renamed_at_least 4 || abort "the batch renames"
progress_shown || abort "the progress window stays while the batch runs"
x_focus "$PROGRESS"
xdotool key --clearmodifiers Escape # 中止
x_box Quorvel && poll box_after_progress || abort "the stop is reported"
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
x_answer 確認 || abort "the undo asks first"
poll idle || abort "the undo ends"
check "Ctrl+Z gives every file back" "$ORIGINAL" "$(contents slow)"

start_batch
poll renamed_at_least 3 || abort "the second batch renames"
kill -s TERM "$APP"
x_end
check "SIGTERM during a batch: the program ends normally" 0 "$XSTATUS"
stopped="$(renamed)"
check "SIGTERM stops the batch" yes "$([ "$stopped" -ge 3 ] && [ "$stopped" -lt 12 ] && echo yes)"
check "SIGTERM: the files as far as it came; the folder saved" \
    "$(after_batch "$stopped") $WORK/slow" "$(contents slow) $(ini Data Folder)"

x_start # no delays now
x_keys Tab Tab ctrl+z # from the folder box to the list
x_answer 確認 || abort "the next start can undo"
poll idle
check "the next start gives the files back" "$ORIGINAL" "$(contents slow)"
x_keys "Tab*2" ctrl+a # the start number
x_type 077
x_keys "Tab*2" space Tab Return # 全選択, then the start button from the prefix box
x_box 確認 || abort "the confirmation opens"
kill -s INT "$APP"
x_end
check "SIGINT over the confirmation: status, start number saved, nothing renamed" \
    "0 077 $ORIGINAL" "$XSTATUS $(ini Data StartNumber) $(contents slow)"
report
