#!/usr/bin/env bash
# Builds Quorvel with its tests and benchmark and runs every test; then the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer; then each fuzz target for a minute; last, the
# size of the tests against the code.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/scripts/deps.sh"
quorvel_install "${QUORVEL_BUILD_PACKAGES[@]}" "${QUORVEL_TEST_PACKAGES[@]}"

build="$here/build-test"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j 2
(cd "$build" && ctest --output-on-failure -j 2)

asan="$here/build-asan"
cmake -S "$here" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON \
    -DQUORVEL_BUILD_BENCH=OFF >/dev/null
cmake --build "$asan" -j 2
(cd "$asan" &&
    ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
    LSAN_OPTIONS="suppressions=$here/tests/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    ctest --output-on-failure -j 2)

bash "$here/scripts/fuzz.sh" "${QUORVEL_FUZZ_SECONDS:-60}"
bash "$here/scripts/test-ratio.sh"
