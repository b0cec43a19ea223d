#!/bin/bash
# Builds the Debian package, installs it on this machine with apt-get, checks the installed files
# and desktop entry, starts the installed program under its own virtual display (from a terminal
# in an empty folder, and the way the desktop entry starts it) and waits for the message it
# gives when no item is registered, then removes the package again. Exits non-zero on any
# failure. Needs root, or sudo.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)

fail() {
    echo "check-package: $*" >&2
    exit 1
}

# Waits until the process shows a window with this exact title; fails after a while.
wait_for_window() {
    local pid=$1 title=$2
    for _ in $(seq 1 150); do
        kill -0 "$pid" 2>/dev/null || fail "the program ended before showing \"$title\""
        if xdotool search --all --onlyvisible --pid "$pid" --name "^$title\$" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.2
    done
    fail "no window \"$title\" within 30 seconds"
}

# Starts a command line in a folder with its own home, checks the first message and the folder
# the program runs in.
run_case() {
    local what=$1 home=$2 start_in=$3 expected_dir=$4
    shift 4
    (cd "$start_in" && exec env HOME="$home" "$@") &
    local pid=$!
    started+=("$pid")
    wait_for_window "$pid" "項目無し"
    local cwd
    cwd=$(readlink "/proc/$pid/cwd")
    [ "$cwd" = "$expected_dir" ] || fail "$what: runs in $cwd, not in $expected_dir"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo "ok: $what shows 項目無し and runs in $cwd"
}

inside_display() {
    scratch=$(mktemp -d)
    started=()
    trap 'for p in "${started[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$scratch"' EXIT
    local exec_line
    exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/zorvex.desktop)
    [ -x "$exec_line" ] || fail "the desktop entry's Exec=$exec_line is not an installed program"

    mkdir -p "$scratch/empty" "$scratch/home1" "$scratch/home2" "$scratch/data"
    run_case "zorvex from a terminal" "$scratch/home1" "$scratch/empty" "$scratch/empty" \
        env -u XDG_DATA_HOME /usr/bin/zorvex
    [ -z "$(ls -A "$scratch/home1")" ] || fail "zorvex from a terminal wrote into the home folder"
    run_case "the desktop entry" "$scratch/home1" "$scratch/home1" \
        "$scratch/home1/.local/share/zorvex" env -u XDG_DATA_HOME "$exec_line"
    [ "$(ls -A "$scratch/home1")" = ".local" ] || fail "the desktop entry wrote into the home folder"
    run_case "the desktop entry with XDG_DATA_HOME" "$scratch/home2" "$scratch/home2" \
        "$scratch/data/zorvex" env XDG_DATA_HOME="$scratch/data" "$exec_line"
}

if [ "${1:-}" = "--inside-display" ]; then
    inside_display
    exit 0
fi

"$root/scripts/package.sh"
"$root/scripts/setup.sh" desktop-file-utils xvfb xauth xdotool imagemagick

if dpkg-query -W -f='${Status}' zorvex 2>/dev/null | grep -q 'install ok installed'; then
    fail "zorvex is installed already; remove it first (apt-get remove zorvex)"
fi
remove() {
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get remove -y -qq --purge zorvex >/dev/null ||
        echo "check-package: could not remove zorvex" >&2
}
trap remove EXIT
deb=$(ls "$root"/build-package/zorvex_*.deb)
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "$deb" >/dev/null
echo "ok: installed $(dpkg-query -W -f='${Package} ${Version}' zorvex)"

expected=(
    /usr/bin/zorvex
    /usr/libexec/zorvex/zorvex-desktop
    /usr/share/applications/zorvex.desktop
)
for size in 16 32 48 256; do
    icon=/usr/share/icons/hicolor/${size}x${size}/apps/zorvex.png
    expected+=("$icon")
    [ "$(identify -format '%wx%h' "$icon")" = "${size}x${size}" ] || fail "$icon is not ${size}x${size}"
done
for f in "${expected[@]}"; do
    dpkg -L zorvex | grep -qx "$f" || fail "the package does not install $f"
    [ -f "$f" ] || fail "$f is missing after the install"
done
echo "ok: binary, launcher, desktop entry and icons at 16, 32, 48 and 256 pixels"

report=$(desktop-file-validate /usr/share/applications/zorvex.desktop 2>&1) || true
[ -z "$report" ] || fail "desktop-file-validate: $report"
echo "ok: desktop-file-validate finds nothing"

"$root/scripts/with-xvfb.sh" "$0" --inside-display
echo "check-package: all checks passed"
