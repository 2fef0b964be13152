#!/usr/bin/env bash
# Started on a saved folder of three files whose name order (a b c), age order (b c a) and
# newest-first order (a c b) all differ. Renaming every row after each click on the 更新日時
# header tells, from outside, in which order the list stood.
. "$(dirname "$0")/xdriver.sh"
mkdir data
for f in a:2021 b:2019 c:2020; do
    printf '%s' "${f%:*}" >"data/${f%:*}.txt"
    touch -d "${f#*:}-01-01 12:00:00Z" "data/${f%:*}.txt"
done
printf '[Data]\nFolder=%s/data\n' "$WORK" >Qorv.ini

rename_all() { # prefix expected-letters what
    x_click 202 57 # 全選択
    x_click 35 212 # the prefix box
    x_keys ctrl+a
    x_type "$1"
    x_keys Return
    x_answer 確認 || abort "$3: the confirmation opens"
    poll test -e "data/${1}003.txt"
    check "$3" "$2" "$(cat "data/${1}001.txt" "data/${1}002.txt" "data/${1}003.txt")"
}
# The header row tops the list at (10, 40); 更新日時 starts 150 pixels in.
click_time_header() { x_click 10 40 180 $((2 + BY / 2)); }

x_start
rename_all n abc "listed by name"
click_time_header
rename_all o bca "one click on 更新日時 sorts oldest first"
click_time_header
click_time_header
rename_all p acb "a second click on 更新日時 sorts newest first"
x_keys Escape
x_end
check "Esc ends the program" 0 "$XSTATUS"
report
