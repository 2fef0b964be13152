#!/usr/bin/env bash
# The real program in a real X server, started on a saved folder of three files whose name
# order (a, b, c), age order (b, c, a) and newest-first order (a, c, b) all differ. Renaming
# every row after each header click tells, from outside, in which order the list stood.
set -euo pipefail
bin="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
data="$work/data"
mkdir "$data"
for file in "a 2021-01-01" "b 2019-01-01" "c 2020-01-01"; do
    set -- $file
    printf '%s' "$1" >"$data/$1.txt"
    touch -d "$2 12:00:00Z" "$data/$1.txt"
done
cat >"$work/Qorv.ini" <<EOF
[Application]
Version=21
[Data]
Folder=$data
StartNumber=001
Kaku=*.*
[Config]
SmallCheck=1
EOF
cd "$work"

# Other X servers may start at the same moment: xvfb-run -a can then lose the race for a
# display number, and the program finds no display. Such a run proves nothing and is repeated
# on another number.
for attempt in 1 2 3; do
    status=0
    output="$(xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1280x1024x24 -dpi 96" \
        bash "$here/listing_helper.sh" "$bin" "$data" 2>&1)" || status=$?
    echo "$output" | grep -q 'could not connect to display' || break
done
echo "$output" | grep -E '^(PASS|FAIL) ' || true
passed="$(echo "$output" | grep -c '^PASS ' || true)"
if [ "$status" -ne 0 ] || echo "$output" | grep -q '^FAIL '; then
    echo "$output" | grep -vE '^(PASS|FAIL) ' | tail -n 20
    echo "$passed passed, 1 failed"
    exit 1
fi
echo "$passed passed, 0 failed"
