#!/bin/bash
# Presses ヘルプ in Zorvex's settings window (five tabs from the start button, which has the
# focus) and prints the window id of the help viewer it starts. Fails after 30 seconds.
# Usage: scripts/open-help.sh <settings window id> <zorvex process id>
set -euo pipefail
settings=$1 pid=$2
xdotool windowfocus --sync "$settings" key Tab Tab Tab Tab Tab Return
for _ in $(seq 1 150); do
    child=$(pgrep -P "$pid" || true)
    viewer=
    [ -n "$child" ] &&
        viewer=$(xdotool search --all --onlyvisible --pid "$child" 2>/dev/null | head -n 1 || true)
    if [ -n "$viewer" ]; then
        echo "$viewer"
        exit 0
    fi
    sleep 0.2
done
echo "open-help: ヘルプ showed no help viewer within 30 seconds" >&2
exit 1
