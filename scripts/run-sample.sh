#!/bin/bash
# Builds Zorvex and its help, and starts it on a copy of the sample data in run/sample.
# The copy is made once; later runs keep what you recorded. Delete run/ to start over.
# Only the program and the help are built, not the tests; the build's output goes to
# build/run-sample.log and is shown only when a step fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<'EOF'
Zorvex is a desktop program and needs a display: neither DISPLAY nor WAYLAND_DISPLAY is set,
so nothing was installed or built. Run this command in a terminal of your desktop session, or
log in with `ssh -X` to show the windows on your own screen. The tests need no display:
scripts/test.sh
EOF
    exit 1
fi

log="$root/build/run-sample.log"
mkdir -p "$root/build"
: >"$log"
step() {
    echo "run-sample: $1"
    shift
    if ! "$@" >>"$log" 2>&1; then
        tail -n 30 "$log" >&2
        echo "run-sample: failed; the whole output is in build/run-sample.log" >&2
        exit 1
    fi
}

# What the program, its help and the help viewer need; the tests' tools come with scripts/test.sh.
step "checking the Debian packages it needs (installs any that are missing)" \
    "$root/scripts/setup.sh" cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev \
    fonts-ipafont-gothic fp-utils xchm
step "configuring build/" \
    cmake -S "$root" -B "$root/build" -G Ninja \
    -DCMAKE_BUILD_TYPE="${ZORVEX_BUILD_TYPE:-RelWithDebInfo}" -DZORVEX_REQUIRE_HELP=ON
step "building the program (build/app/zorvex)" \
    cmake --build "$root/build" --target zorvex -j "$(nproc)"
# The program finds this help beside its build tree, so the data folder needs no copy.
step "compiling the help (build/resources/help/QvHelp.chm)" \
    cmake --build "$root/build" --target zorvex_help

data="$root/run/sample"
mkdir -p "$root/run"
if [ ! -d "$data" ]; then
    step "copying sample/ to run/sample" cp -r "$root/sample" "$data"
fi
echo "run-sample: starting Zorvex in run/sample"
cd "$data"
exec "$root/build/app/zorvex"
