#!/usr/bin/env bash
# Breaks the program on purpose, one change at a time, and checks that a test catches each.
# Every line of a list in scripts/breaks/ (or of the lists given) is, tab-separated:
#   file   exact text (found once)   replacement   tests   what the break is
# "tests" is a ctest name pattern (ctest -R); only those tests are built and run. "⏎" in a text
# stands for a line break; nothing else is escaped. Lines starting with "#" are comments.
# Each change is applied, the tests are built and run in build-breaks/ (configured here when new),
# and the file is put back from git, so the tree must have no changes of its own.
#   bash scripts/break-check.sh                      every list
#   bash scripts/break-check.sh scripts/breaks/x.list
#   ONLY=regex bash scripts/break-check.sh      only the lines matching the extended regex
# Prints one line per break and a count; exit 0 when no change survived.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root" || exit 2
build="${BUILD:-$root/build-breaks}"
if [ -n "$(git status --porcelain)" ]; then
    echo "break-check: the tree has changes of its own; commit or stash them first" >&2
    exit 2
fi
lists=("$@")
[ ${#lists[@]} -eq 0 ] && lists=("$root"/scripts/breaks/*.list)

applied=""
restore() {
    [ -n "$applied" ] && git checkout -q -- "$applied"
    applied=""
}
trap 'restore; exit 130' INT TERM
trap restore EXIT

# Replaces the one occurrence of $2 in file $1 by $3; fails when it occurs other than once.
apply() {
    perl -e '
        my ($path, $find, $replace) = @ARGV;
        s/⏎/\n/g for $find, $replace;
        open(my $in, "<", $path) or die "$path: $!\n";
        local $/; my $text = <$in>; close $in;
        my $count = () = $text =~ /\Q$find\E/g;
        die "the text to break occurs $count times\n" if $count != 1;
        $text =~ s/\Q$find\E/$replace/;
        open(my $out, ">", $path) or die "$path: $!\n";
        print $out $text; close $out;' "$@"
}

# The build targets behind the tests matching $1: test programs are named as their tests; the
# file-system runs use three of them, the end-to-end scripts the program and the slow-storage
# library.
targets_for() {
    local names
    names="$(ctest --test-dir "$build" -N -R "$1" 2>/dev/null | sed -n 's/^ *Test *#[0-9]*: *//p')"
    for name in $names; do
        case "$name" in
        tst_*) echo "$name" ;;
        realfs_*) echo tst_fs_saferename tst_rename_batchpreview tst_rename_lettercase ;;
        e2e_*) echo quorvel quorvel_slowfs ;;
        esac
    done | tr ' ' '\n' | sort -u
}

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER_LAUNCHER="$(command -v ccache || true)" >/dev/null || exit 2
fi
cmake --build "$build" -j2 >/dev/null || {
    echo "break-check: the unbroken tree does not build" >&2
    exit 2
}

caught=0 survived=0
while IFS= read -r line; do
    [ -z "$line" ] || [[ "$line" == \#* ]] && continue
    [ -n "${ONLY:-}" ] && ! grep -Eq -- "$ONLY" <<<"$line" && continue
    # Split by hand: read would merge two tabs around an empty replacement.
    rest="$line" tab=$'\t'
    file="${rest%%"$tab"*}" rest="${rest#*"$tab"}"
    find="${rest%%"$tab"*}" rest="${rest#*"$tab"}"
    replace="${rest%%"$tab"*}" rest="${rest#*"$tab"}"
    tests="${rest%%"$tab"*}" what="${rest#*"$tab"}"
    if ! message="$(apply "$file" "$find" "$replace" 2>&1)"; then
        echo "STALE     $what ($file: $message)"
        survived=$((survived + 1))
        continue
    fi
    applied="$file"
    # shellcheck disable=SC2046
    if ! cmake --build "$build" -j2 --target $(targets_for "$tests") >"$build/break.log" 2>&1; then
        echo "NO BUILD  $what ($file)"
        survived=$((survived + 1))
    elif ctest --test-dir "$build" -R "$tests" --timeout 300 >"$build/break-test.log" 2>&1; then
        echo "SURVIVED  $what ($tests passed)"
        survived=$((survived + 1))
    else
        failing="$(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (.*)$/\1/p' "$build/break-test.log" |
            paste -sd' ')"
        echo "caught    $what <- $failing"
        caught=$((caught + 1))
    fi
    restore
done < <(cat "${lists[@]}")
cmake --build "$build" -j2 >/dev/null
echo "breaks: $caught caught, $survived survived"
[ "$survived" -eq 0 ]
