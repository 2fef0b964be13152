#!/usr/bin/env bash
# Builds Quorvel and starts it in the caller's current directory, where its Qorv.ini lives.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$here/scripts/deps.sh"
quorvel_install "${QUORVEL_BUILD_PACKAGES[@]}"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCH=OFF >/dev/null
cmake --build "$here/build" --target quorvel
exec "$here/build/src/quorvel"
