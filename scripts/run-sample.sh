#!/bin/bash
# Builds Zorvex and starts it on a copy of the sample data in run/sample.
# The copy is made once; later runs keep what you recorded. Delete run/ to start over.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build"

data="$root/run/sample"
if [ ! -d "$data" ]; then
    mkdir -p "$data"
    cp "$root/sample/"* "$data/"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Zorvex is a desktop program and needs a display (DISPLAY or WAYLAND_DISPLAY is not set)." >&2
    exit 1
fi
cd "$data"
exec "$root/build/app/zorvex"
