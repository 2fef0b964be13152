# Sourced by every e2e_*.sh, which is given the program's path. The script first runs again
# under an X server of its own, in an empty working directory $WORK; the functions below then
# use the real program as a person would: keys, typing, clicks, message boxes found by title.
BIN="$(realpath "$1")"
if [ -z "${XD_MARK:-}" ]; then
    # Other X servers may start at the same moment and take the display number; such a run
    # proves nothing and is repeated on another number. Without -noreset the server restarts
    # whenever a session's program ends, and refuses the next one for that moment.
    for _ in 1 2 3 4 5; do
        XD_MARK="$(mktemp -u)" status=0
        XD_MARK="$XD_MARK" xvfb-run -n $((100 + RANDOM % 800)) \
            -s "-screen 0 1280x1024x24 -dpi 96 -noreset" bash "$0" "$@" || status=$?
        [ -e "$XD_MARK" ] && [ "$status" -ne 75 ] && rm "$XD_MARK" && exit "$status"
        rm -f "$XD_MARK"
    done
    exit "$status"
fi
set -uo pipefail
xdotool getdisplaygeometry >/dev/null 2>&1 || exit 75
: >"$XD_MARK"
WORK="$(mktemp -d)" XD_LOG="$(mktemp)" XPID="" APP="" MAIN="" XD_AT_EXIT="" passed=0 failed=0
# XD_AT_EXIT: a script's own clean-up (an unmount), once the program is gone.
trap '[ -n "$XPID" ] && kill -9 $APP "$XPID" 2>/dev/null; wait; eval "$XD_AT_EXIT"; rm -rf "$WORK" "$XD_LOG"' EXIT
cd "$WORK" || exit 1
export XDG_STATE_HOME="$WORK/state" # where the undo journal goes

check() { # what expected actual
    if [ "$2" == "$3" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        printf 'FAIL %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
    fi
}
report() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
abort() {
    failed=$((failed + 1))
    echo "FAIL $*"
    tail -n 5 "$XD_LOG"
    report
    exit 1
}
poll() { # runs the command every tenth of a second until it succeeds, ten seconds at most
    for _ in $(seq 100); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
not() { ! "$@"; }

# The newest visible window titled exactly $1, other than the main window.
window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -vx "$MAIN" | tail -n 1; }
has_box() { BOX="$(window "$1")" && [ -n "$BOX" ]; }
started() { has_box Quorvel || not kill -0 "$XPID" 2>/dev/null; }

# Starts the program in the current directory, after the given wrapper command if any. XPID is
# the job to wait for, APP the program itself; X Y WIDTH HEIGHT its window's place and size.
x_start() {
    "$@" "$BIN" 2>>"$XD_LOG" &
    XPID=$! APP="" MAIN="" BOX=""
    poll started
    if [ -z "$BOX" ]; then
        grep -q 'could not connect to display' "$XD_LOG" && exit 75
        abort "the window appears"
    fi
    MAIN="$BOX" APP="$(xdotool getwindowpid "$BOX")"
    eval "$(xdotool getwindowgeometry --shell "$MAIN")"
    # The window is 239 x 229 dialog units: its size gives the dialog base units back.
    BX=$(((WIDTH * 4 + 119) / 239)) BY=$(((HEIGHT * 8 + 114) / 229))
    x_focus
}
x_focus() {
    xdotool windowfocus --sync "${1:-$MAIN}" 2>/dev/null
    sleep 0.3
}
x_keys() { # key names in xdotool's syntax; "Tab*6" presses Tab six times
    local key n
    for key in "$@"; do
        n=1
        [[ "$key" == *'*'* ]] && n="${key#*\*}" key="${key%\**}"
        for _ in $(seq "$n"); do
            xdotool key --clearmodifiers "$key"
            sleep 0.15
        done
    done
}
x_type() { # one character at a time
    xdotool type --clearmodifiers --delay 120 "$1"
    sleep 0.3
}
x_click() { # x y in dialog units, then a further x y in pixels
    xdotool mousemove $((X + ($1 * BX + 2) / 4 + ${3:-0})) \
        $((Y + ($2 * BY + 4) / 8 + ${4:-0})) click 1
    sleep 0.3
}
x_box() { poll has_box "$1" && x_focus "$BOX"; } # waits for the box titled $1 and focuses it
x_answer() { # Enter on the box titled $1, then back to the main window
    x_box "$1" || return 1
    xdotool key --clearmodifiers Return
    poll not has_box "$1"
    x_focus
}
x_end() { # waits for the program to end; XSTATUS is its exit status
    poll not kill -0 "$XPID" 2>/dev/null || abort "the program ends"
    XSTATUS=0
    wait "$XPID" || XSTATUS=$?
    XPID=""
}

# "name=content ..." of the files in folder $1, in name order.
contents() {
    local f out=""
    for f in "$1"/*; do
        [ -f "$f" ] && out+="$(basename "$f")=$(cat "$f") "
    done
    echo "${out% }"
}
ini() { sed -n "/^\[$1]/,/^\[/s/^$2=//p" Qorv.ini; } # the value of key $2 in section [$1]
