#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given seconds (default 60) from
# its seed corpus. Longer runs: bash scripts/fuzz.sh 3600
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
. "$here/scripts/deps.sh"
quorvel_install cmake ninja-build clang libclang-rt-14-dev
build="$here/build-fuzz"
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DQUORVEL_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j 2
# One target a core: the two run side by side, each for the whole time given.
run_target() {
    local target="$1" work log runs
    work="$(mktemp -d)"
    cp "$here/fuzz/corpus/$target/"* "$work/"
    log="$build/fuzz_$target.log"
    if "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/" "$work" >"$log" 2>&1; then
        runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')"
        echo "fuzz_$target: ${runs:-?} executions, no failure"
    else
        echo "fuzz_$target: FAILED"
        tail -n 40 "$log"
        rm -rf "$work"
        return 1
    fi
    rm -rf "$work"
}
targets=()
for source in "$here"/fuzz/fuzz_*.cpp; do
    name="$(basename "$source" .cpp)"
    targets+=("${name#fuzz_}")
done
failed=0 passed=0 pids=()
for ((i = 0; i < ${#targets[@]}; i += 2)); do
    pids=()
    for target in "${targets[@]:i:2}"; do
        run_target "$target" &
        pids+=($!)
    done
    for pid in "${pids[@]}"; do
        if wait "$pid"; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
    done
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
