#!/usr/bin/env bash
# The real program in a real X server, used with the keyboard alone: select all, the arrow
# buttons, a folder path typed character by character, the exit button. Each session is judged
# from outside: by the names and contents of the files it renamed, by Qorv.ini after it ended,
# and by what the session saw on the screen.
set -uo pipefail
bin="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
obs="$work/observed"
: >"$obs"

passed=0
failed=0
check() { # name, expected, actual
    if [ "$2" == "$3" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL: $1"
        echo "  expected: $(printf '%q' "$2")"
        echo "  actual:   $(printf '%q' "$3")"
    fi
}

# "name=content name=content ..." of the files in a folder, in name order.
contents() {
    local f out=""
    for f in "$1"/*; do
        [ -f "$f" ] && out+="$(basename "$f")=$(cat "$f") "
    done
    echo "${out% }"
}

session() {
    xvfb-run -a -s "-screen 0 1280x1024x24" bash "$here/keyboard_session.sh" "$bin" "$@" ||
        echo "session $1 did not finish"
}

# The value of key $2 in section [$1] of Qorv.ini.
ini() {
    awk -v section="[$1]" -v key="$2" '
        /^\[/ { inside = ($0 == section); next }
        inside && index($0, key "=") == 1 { print substr($0, length(key) + 2); exit }' Qorv.ini
}

observed() { sed -n "s/^$1=//p" "$obs" | tail -n 1; }

mkdir files typed
for n in a b c d; do printf '%s' "$n" >"files/$n.txt"; done
for n in x y; do printf '%s' "$n" >"typed/$n.txt"; done
printf '[Data]\nFolder=%s/files\n' "$work" >Qorv.ini

# Tab to 全選択 and Space select every row; the rename numbers them in list order. Tab to 終了
# and Space end the program, which saves the boxes.
session select-all-rename "$obs"
check "every row selected and renamed in order" \
    "s_001.txt=a s_002.txt=b s_003.txt=c s_004.txt=d" "$(contents files)"
check "the exit button saves the settings" "21 $work/files 001 *.* 1" \
    "$(ini Application Version) $(ini Data Folder) $(ini Data StartNumber) $(ini Data Kaku)\
 $(ini Config SmallCheck)"

# Rows 0 and 2 up: a c b d. Rows 1 and 2 down: a d c b.
session move-rows "$obs"
check "the arrow buttons move the selected rows" \
    "m_001.txt=a m_002.txt=d m_003.txt=c m_004.txt=b" "$(contents files)"

# A half-typed path shows the red missing rows and refuses select all; the whole path lists.
session type-folder "$obs" "$work/typed"
red_half="$(observed red_half_typed)"
red_done="$(observed red_completed)"
check "a half-typed folder shows red rows" "yes" \
    "$([ "${red_half:-0}" -gt 20 ] && echo yes || echo "no (${red_half:-no} red pixels)")"
check "select all is refused on the missing rows" "yes" "$(observed refused_half_typed)"
check "the completed folder shows no red rows" "0" "${red_done:-?}"
check "the typed folder is listed and renamed" "t_001.txt=x t_002.txt=y" "$(contents typed)"
check "the typed folder is saved on exit" "$work/typed" "$(ini Data Folder)"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
