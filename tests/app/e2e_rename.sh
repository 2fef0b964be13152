#!/usr/bin/env bash
# The real program in a real X server renames files as a person would ask it to: three rows
# selected with the keyboard, a prefix typed, Enter for the start button, Enter for OK, Esc to
# close. Every file must carry its new name with its own content, nothing may be lost, and the
# settings must be saved on the way out.
set -euo pipefail
bin="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
data="$work/photos"
mkdir "$data"
for name in c.jpg a.jpg d.jpg b.jpg; do
    printf 'content of %s' "$name" >"$data/$name"
done
cd "$work"
printf '[Data]\nFolder=%s\nStartNumber=001\nKaku=*.*\n' "$data" >Qorv.ini

# Focus starts in the folder box; Tab, Tab reaches the list, which lists a, b, c, d.
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$here/rename_driver.sh" "$bin" \
    Tab Tab Home shift+Down shift+Down Tab type:trip_ Return "box:確認" Return Escape

passed=0
failed=0
check() {
    if [ "$2" = "$3" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL $1: expected '$2', got '$3'"
    fi
}

for pair in trip_001.jpg:a.jpg trip_002.jpg:b.jpg trip_003.jpg:c.jpg d.jpg:d.jpg; do
    new="${pair%%:*}"
    old="${pair#*:}"
    check "$new holds $old" "content of $old" "$(cat "$data/$new" 2>/dev/null || echo missing)"
done
check "files in the folder" "4" "$(find "$data" -type f | wc -l)"
check "saved folder" "$data" "$(sed -n 's/^Folder=//p' Qorv.ini)"
check "saved start number" "001" "$(sed -n 's/^StartNumber=//p' Qorv.ini)"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
