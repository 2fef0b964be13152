#!/usr/bin/env bash
# Inside an X server: start the program, wait for its window, focus it and act as a person
# would, then wait for the program to end. Each argument is one action:
#   a key in xdotool's syntax ("Tab", "shift+Down", "Return"),
#   "type:TEXT" to type TEXT into the focused box,
#   "box:TITLE" to wait until a message box titled TITLE is open and focus it.
set -euo pipefail
bin="$1"
shift

wait_for_window() {
    local title="$1" found=""
    for _ in $(seq 1 200); do
        found="$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | tail -n 1 || true)"
        [ -n "$found" ] && break
        sleep 0.1
    done
    echo "$found"
}

"$bin" &
pid=$!
wid="$(wait_for_window Quorvel)"
if [ -z "$wid" ]; then
    echo "the window did not appear"
    kill "$pid" 2>/dev/null || true
    exit 1
fi
sleep 0.3
xdotool windowfocus --sync "$wid" 2>/dev/null || true
for action in "$@"; do
    case "$action" in
    type:*)
        xdotool type --delay 50 "${action#type:}"
        ;;
    box:*)
        box="$(wait_for_window "${action#box:}")"
        if [ -z "$box" ]; then
            echo "no message box titled ${action#box:}"
            kill "$pid" 2>/dev/null || true
            exit 1
        fi
        sleep 0.2
        xdotool windowfocus --sync "$box" 2>/dev/null || true
        ;;
    *)
        xdotool key --clearmodifiers "$action"
        ;;
    esac
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
