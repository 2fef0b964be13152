#!/usr/bin/env bash
# Inside an X server: start the program, wait for its window, focus it, send the given keys
# (xdotool key syntax) and wait for the program to end.
set -euo pipefail
bin="$1"
shift
"$bin" &
pid=$!
wid=""
for _ in $(seq 1 200); do
    wid="$(xdotool search --onlyvisible --name '^Quorvel$' 2>/dev/null | head -n 1 || true)"
    [ -n "$wid" ] && break
    sleep 0.1
done
if [ -z "$wid" ]; then
    echo "the window did not appear"
    kill "$pid" 2>/dev/null || true
    exit 1
fi
sleep 0.3
xdotool windowfocus --sync "$wid" 2>/dev/null || true
for key in "$@"; do
    xdotool key --clearmodifiers "$key"
    sleep 0.2
done
for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    echo "the program did not end"
    kill "$pid"
    exit 1
fi
wait "$pid"
