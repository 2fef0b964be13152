#!/usr/bin/env bash
# The real program in a real X server: started in an empty working directory, closed with Esc
# as a person would, it must leave a Qorv.ini holding exactly the five keys.
set -euo pipefail
bin="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

xvfb-run -a -s "-screen 0 1280x1024x24" bash "$here/drive_window.sh" "$bin" Escape

expected="[Application]
Version=21
[Data]
Folder=$work
StartNumber=001
Kaku=*.*
[Config]
SmallCheck=1"
actual="$(grep -v '^[[:space:]]*$' Qorv.ini)"
if [ "$actual" != "$expected" ]; then
    echo "Qorv.ini differs:"; diff <(echo "$expected") <(echo "$actual") || true
    exit 1
fi
echo "1 passed, 0 failed"
