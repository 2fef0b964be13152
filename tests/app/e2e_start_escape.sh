#!/usr/bin/env bash
# Started in an empty working directory and closed with Esc, the program leaves a Qorv.ini
# holding exactly the five keys.
. "$(dirname "$0")/xdriver.sh"
x_start
x_keys Escape
x_end
check "exit status" 0 "$XSTATUS"
check "Qorv.ini" "[Application]
Version=21
[Data]
Folder=$WORK
StartNumber=001
Kaku=*.*
[Config]
SmallCheck=1" "$(grep -v '^[[:space:]]*$' Qorv.ini)"
report
