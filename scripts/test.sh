#!/bin/bash
# Builds Zorvex with its tests and runs them all. Tests that need a real window start their own
# virtual X display, so no display is needed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/check-format.sh"
"$root/scripts/build.sh" "$root/build"
cd "$root/build"
ctest --output-on-failure -j "$(nproc)" "$@"
