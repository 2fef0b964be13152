#!/usr/bin/env bash
# SIGTERM and SIGINT, with the window open and with a message box open over it: the window
# closes the normal way, so the typed values are saved exactly once, nothing is renamed, and
# the program ends with status 0.
. "$(dirname "$0")/xdriver.sh"
mkdir data
for n in a b; do printf '%s' "$n" >"data/$n.txt"; done
printf '[Data]\nFolder=%s/data\nStartNumber=001\n' "$WORK" >Qorv.ini

number=10
for signal in TERM INT; do
    for over in window confirmation; do
        what="SIG$signal over the $over:" number=$((number + 1))
        # The trace counts the saves; a leak check cannot run under a tracer.
        x_start env ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" \
            strace -f -qq -e trace=rename,renameat,renameat2 -o trace
        x_keys "Tab*4" ctrl+a # the start number
        x_type "0$number"
        if [ "$over" = confirmation ]; then
            x_keys "Tab*2" space Tab Return # 全選択, then the start button from the prefix box
            x_box 確認 || abort "$what the confirmation opens"
        fi
        kill -s "$signal" "$APP"
        x_end
        check "$what exit status" 0 "$XSTATUS"
        check "$what saved once" 1 "$(grep -c 'Qorv\.ini"' trace)"
        check "$what the typed start number saved" "0$number" "$(ini Data StartNumber)"
        check "$what nothing renamed" "a.txt=a b.txt=b" "$(contents data)"
    done
done
report
