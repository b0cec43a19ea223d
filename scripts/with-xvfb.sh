#!/bin/bash
# Runs one command inside its own virtual X display, whatever display or Qt platform the caller
# has (a caller's QT_QPA_PLATFORM=offscreen would leave the display unused). The X server picks
# a free display number itself and reports it once it accepts connections, so several of these
# can start at the same time without taking each other's display.
set -euo pipefail
dir=$(mktemp -d)
# No reset when the last client leaves: the tests and scripts start and end many short clients,
# and each reset rebuilds the server's state (its keymap through xkbcomp) while the next client
# may already be connecting.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/log" &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$dir"' EXIT
for _ in $(seq 300); do
    [ -s "$dir/display" ] && break
    kill -0 "$server" 2>/dev/null || { cat "$dir/log" >&2; exit 1; }
    sleep 0.1
done
[ -s "$dir/display" ] || { echo "with-xvfb: the X server did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$dir/display")"
export QT_QPA_PLATFORM=xcb
unset XAUTHORITY WAYLAND_DISPLAY
"$@"
