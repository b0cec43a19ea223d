#!/bin/bash
# Builds the Debian package, checks it with lintian (any error or warning fails), installs it on
# this machine with apt-get without recommended packages, checks the installed files and desktop
# entry, starts the installed program under its own virtual display and session bus (from a
# terminal in an empty folder, and the way the desktop entry starts it), waits for the message it
# gives when no item is registered, opens the help from the settings window and waits for the
# viewer, then removes the package again. Exits non-zero on any failure. Needs root, or sudo.
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

# Zorvex's own files under a home folder, other than in the folder given: its data files are
# the item list and the history files (*.txt) and a help file of the user's. Whatever else the
# desktop writes there (a D-Bus, font or Qt cache) is not the program's doing.
data_files_outside() {
    local home=$1 allowed=$2
    find "$home" -path "$allowed" -prune -o -type f \( -iname '*.txt' -o -iname 'QvHelp.chm' \) \
        -print
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
    [ -z "$(data_files_outside "$scratch/home1" none)" ] ||
        fail "zorvex from a terminal wrote into the home folder"
    run_case "the desktop entry" "$scratch/home1" "$scratch/home1" \
        "$scratch/home1/.local/share/zorvex" env -u XDG_DATA_HOME "$exec_line"
    [ -z "$(data_files_outside "$scratch/home1" "$scratch/home1/.local/share/zorvex")" ] ||
        fail "the desktop entry wrote into the home folder"
    run_case "the desktop entry with XDG_DATA_HOME" "$scratch/home2" "$scratch/home2" \
        "$scratch/data/zorvex" env XDG_DATA_HOME="$scratch/data" "$exec_line"
    help_case
}

# From the no-items message to the settings window, then its help button (five tabs from the
# focused start button), and the installed help in a viewer.
help_case() {
    mkdir -p "$scratch/help"
    (cd "$scratch/help" && exec env HOME="$scratch/help" /usr/bin/zorvex) &
    local pid=$! id
    started+=("$pid")
    wait_for_window "$pid" "項目無し"
    id=$(xdotool search --all --onlyvisible --pid "$pid" --name '^項目無し$' | head -n 1)
    xdotool windowfocus --sync "$id" key Return
    wait_for_window "$pid" "Zorvex"
    id=$(xdotool search --all --onlyvisible --pid "$pid" --name '^Zorvex$' | head -n 1)
    "$root/scripts/open-help.sh" "$id" "$pid" >/dev/null || fail "ヘルプ showed no help viewer"
    echo "ok: ヘルプ shows the installed help in $(ps -o comm= "$(pgrep -P "$pid")")"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}

if [ "${1:-}" = "--inside-display" ]; then
    inside_display
    exit 0
fi

"$root/scripts/package.sh"
"$root/scripts/setup.sh" desktop-file-utils xvfb xauth xdotool imagemagick lintian dbus-daemon
deb=$(ls "$root"/build-package/zorvex_*.deb)

# Any error or warning fails (lintian's exit status covers errors only).
report=$(lintian "$deb" 2>&1) || { echo "$report" >&2; fail "lintian finds errors"; }
if grep -E '^[EW]: ' <<<"$report" >&2; then fail "lintian finds the warnings above"; fi
echo "ok: lintian finds no error or warning"

if dpkg-query -W -f='${Status}' zorvex 2>/dev/null | grep -q 'install ok installed'; then
    fail "zorvex is installed already; remove it first (apt-get remove zorvex)"
fi
remove() {
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get remove -y -qq --purge zorvex >/dev/null ||
        echo "check-package: could not remove zorvex" >&2
}
trap remove EXIT
# Recommended packages left out, as on a minimal desktop: what the program needs is a dependency.
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "$deb" \
    >/dev/null
echo "ok: installed $(dpkg-query -W -f='${Package} ${Version}' zorvex)"

expected=(
    /usr/bin/zorvex
    /usr/libexec/zorvex/zorvex-desktop
    /usr/share/applications/zorvex.desktop
    /usr/share/zorvex/QvHelp.chm
    /usr/share/man/man1/zorvex.1.gz
    /usr/share/doc/zorvex/copyright
    /usr/share/doc/zorvex/changelog.Debian.gz
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
echo "ok: binary, launcher, desktop entry, help, manual page, copyright, changelog and icons"

report=$(desktop-file-validate /usr/share/applications/zorvex.desktop 2>&1) || true
[ -z "$report" ] || fail "desktop-file-validate: $report"
echo "ok: desktop-file-validate finds nothing"

# One session bus for all the runs, so that nothing starts one of its own (with dbus-x11
# installed, an autolaunched bus would write into the home folder).
"$root/scripts/with-xvfb.sh" dbus-run-session -- "$0" --inside-display
echo "check-package: all checks passed"
