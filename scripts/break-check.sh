#!/usr/bin/env bash
# Breaks the program on purpose, one change at a time, and checks that a test catches each.
# Every line of a list in scripts/breaks/ (or of the lists given) is, tab-separated:
#   file   exact text (found once)   replacement   test (a ctest name, also its build target)
# Each change is applied, that test is built and run, and the file is put back as it was.
# Uses the build folder build/ (configured as the README says). Exit 0 when no change survived.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$here/build"
lists=("$@")
[ ${#lists[@]} -eq 0 ] && lists=("$here"/scripts/breaks/*.list)
survived=0
caught=0
while IFS=$'\t' read -r file old new test; do
    [ -z "$file" ] || [[ "$file" == \#* ]] && continue
    path="$here/$file"
    backup="$(mktemp)"
    cp -p "$path" "$backup"
    if ! python3 - "$path" "$old" "$new" <<'PY'; then
import sys
path, old, new = sys.argv[1], sys.argv[2].encode().decode('unicode_escape'), sys.argv[3].encode().decode('unicode_escape')
text = open(path, encoding='utf-8').read()
if text.count(old) != 1:
    sys.exit(f"{path}: the text to break occurs {text.count(old)} times")
open(path, 'w', encoding='utf-8').write(text.replace(old, new))
PY
        survived=$((survived + 1))
        rm -f "$backup"
        continue
    fi
    if ! cmake --build "$build" --target "$test" >/dev/null 2>&1; then
        echo "NOT A BREAK (does not build): $file: $old -> $new"
        survived=$((survived + 1))
    elif (cd "$build" && ctest -R "^$test\$" >/dev/null 2>&1); then
        echo "SURVIVED: $file: $old -> $new ($test passed)"
        survived=$((survived + 1))
    else
        echo "caught by $test: $file: $old -> $new"
        caught=$((caught + 1))
    fi
    # A fresh time stamp, so the build sees the file changed back.
    cp "$backup" "$path"
    rm -f "$backup"
done < <(cat "${lists[@]}")
cmake --build "$build" >/dev/null 2>&1
echo "breaks: $caught caught, $survived survived"
[ "$survived" -eq 0 ]
