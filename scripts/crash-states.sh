#!/bin/bash
# Replays every state a power cut can leave the data folder in during each command that writes
# (Next, 登録, 保存, クリア, 削除) and reads each with the program's own readers: see
# scripts/crash_states.py. Fails when any state loses or alters what was there, or what the window
# had shown as done. Builds what it needs and runs the windows in a display of its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
"$root/scripts/setup.sh"
[ -x "$build/tests/crash/crash_tool" ] || "$root/scripts/build.sh" "$build"
cmake --build "$build" --target crash_tool >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
"$root/scripts/with-xvfb.sh" python3 "$root/scripts/crash_states.py" \
    "$build/tests/crash/crash_tool" "$work/states"
