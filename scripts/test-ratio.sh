#!/usr/bin/env bash
# Prints how large the tests are against the code they test: tests/ + fuzz/ over src/ + bench/,
# in non-blank lines and in non-blank characters (so that packing lines gains nothing). Code is
# every C++, CMake and shell file; fuzz corpora and images are data, not code. Exits non-zero
# above the ceiling (QUORVEL_TEST_RATIO, 0.35 by default).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
ceiling="${QUORVEL_TEST_RATIO:-0.35}"

# Non-blank lines and non-blank characters of the code files under the folders given.
measure() {
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.sh' -o -name 'CMakeLists.txt' \) \
        -print0 | xargs -0 cat | awk '
        { gsub(/[ \t\r]/, "") } length($0) > 0 { lines++; chars += length($0) }
        END { printf "%d %d\n", lines, chars }'
}
read -r test_lines test_chars < <(measure tests fuzz)
read -r code_lines code_chars < <(measure src bench)
awk -v tl="$test_lines" -v tc="$test_chars" -v cl="$code_lines" -v cc="$code_chars" -v max="$ceiling" '
BEGIN {
    lr = tl / cl; cr = tc / cc
    printf "test ratio: lines %d / %d = %.3f, characters %d / %d = %.3f (ceiling %.2f)\n",
        tl, cl, lr, tc, cc, cr, max
    exit (lr > max || cr > max) ? 1 : 0
}'
