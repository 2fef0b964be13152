#!/usr/bin/env bash
# The keyboard alone: select all, the arrow buttons, a folder path typed character by character,
# the exit button. Tab order: folder, browse, list, prefix, start number, pattern, select all,
# clear all, up, down, start, settings, exit, refresh.
. "$(dirname "$0")/xdriver.sh"
mkdir files typed
for n in a b c d; do printf '%s' "$n" >"files/$n.txt"; done
for n in x y; do printf '%s' "$n" >"typed/$n.txt"; done
printf '[Data]\nFolder=%s/files\n' "$WORK" >Qorv.ini

# Types the prefix after the list, renames, and leaves with 終了 or Esc.
rename_all() { # prefix keys-to-leave...
    x_keys Tab
    x_type "$1"
    x_keys Return
    x_answer 確認 || abort "$1: the confirmation opens"
    x_keys "${@:2}"
    x_end
}
# How many pixels of the main window are the red of the missing rows.
red_pixels() {
    import -window "$MAIN" -depth 8 txt:- |
        awk -F '[(),]' 'NR > 1 && $3 >= 180 && $4 <= 70 && $5 <= 70 { n++ } END { print n + 0 }'
}

x_start
x_keys "Tab*6" space # 全選択: every row selected, the focus to the list
rename_all s_ "Tab*9" space
check "every row selected and renamed in order" \
    "s_001.txt=a s_002.txt=b s_003.txt=c s_004.txt=d" "$(contents files)"
check "the exit button saves the settings" "21 $WORK/files 001 *.* 1" "$(ini Application Version) \
$(ini Data Folder) $(ini Data StartNumber) $(ini Data Kaku) $(ini Config SmallCheck)"

# Rows 0 and 2 up: a c b d. Rows 1 and 2 down: a d c b.
x_start
x_keys "Tab*2" Down ctrl+Down ctrl+Down ctrl+space "Tab*6" space # ↑
x_keys Home Down shift+Down "Tab*7" space                       # ↓
x_keys "Tab*4" space
rename_all m_ Escape
check "the arrow buttons move the selected rows" \
    "m_001.txt=a m_002.txt=d m_003.txt=c m_004.txt=b" "$(contents files)"

# Half-typed, the path shows the red missing rows and select all is refused; completed, it lists.
x_start
x_keys ctrl+a BackSpace
x_type "$WORK/typ"
red="$(red_pixels)"
check "a half-typed folder shows red rows" yes "$([ "$red" -gt 20 ] && echo yes || echo "$red")"
x_keys "Tab*5" space # the disabled list is passed by
x_answer Tessaly
check "select all is refused on the missing rows" 0 "$?"
x_keys "shift+Tab*5" End
x_type ed
check "the completed folder shows no red rows" 0 "$(red_pixels)"
x_keys "Tab*6" space
rename_all t_ "Tab*9" space
check "the typed folder is listed and renamed" "t_001.txt=x t_002.txt=y" "$(contents typed)"
check "the typed folder is saved on exit" "$WORK/typed" "$(ini Data Folder)"
report
