#!/bin/bash
# Makes the user guide's screenshots from the real program under its own virtual display, on a
# copy of sample/ (the repository's sample is never written):
#   docs/counting-round.png     the counting window at the second item of a round
#   docs/settings-history.png   the settings window after the round, with a history on view
#   docs/help-viewer.png        the help, opened with ヘルプ, in xchm at the size it opens with
# Usage: scripts/screenshots.sh [build directory, default build]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

fail() {
    echo "screenshots: $*" >&2
    exit 1
}

# Prints the id of the program's visible window titled Zorvex, other than the one given.
wait_for_window() {
    local pid=$1 other=${2:-none} id
    for _ in $(seq 1 150); do
        kill -0 "$pid" 2>/dev/null || fail "the program ended early"
        id=$(xdotool search --all --onlyvisible --pid "$pid" --name '^Zorvex$' 2>/dev/null |
            grep -vx "$other" | head -n 1 || true)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.2
    done
    fail "no window appeared"
}

press() {
    xdotool windowfocus --sync "$1" key "$2"
    # Next flashes the window for a tenth of a second; let it settle before the next key.
    sleep 0.6
}

inside_display() {
    local build=$1 counting settings
    scratch=$(mktemp -d)
    trap 'kill "${pid:-}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "${scratch:-}"' EXIT
    cp "$root/sample/"* "$scratch/"
    # The help file of this build, found in the data folder before any installed one.
    cp "$build/resources/help/QvHelp.chm" "$scratch/"
    mkdir -p "$root/docs"
    cd "$scratch"
    LC_ALL=C.UTF-8 "$build/app/zorvex" &
    pid=$!

    counting=$(wait_for_window "$pid")
    sleep 0.5
    # The first item is recorded with its suggested count; the round goes on at item 2.
    press "$counting" space
    import -window "$counting" "$root/docs/counting-round.png"

    press "$counting" space
    press "$counting" space
    settings=$(wait_for_window "$pid" "$counting")
    sleep 0.5
    import -window "$settings" "$root/docs/settings-history.png"

    local viewer
    viewer=$("$root/scripts/open-help.sh" "$settings" "$pid") || fail "no help viewer appeared"
    sleep 1.5
    import -window "$viewer" "$root/docs/help-viewer.png"
    echo "Wrote docs/counting-round.png, docs/settings-history.png and docs/help-viewer.png"
}

if [ "${1:-}" = "--inside-display" ]; then
    inside_display "$2"
    exit 0
fi

build=$(realpath -m "${1:-$root/build}")
"$root/scripts/setup.sh"
"$root/scripts/setup.sh" xdotool xchm fp-utils
"$root/scripts/build.sh" "$build" -DBUILD_TESTING=OFF
exec "$root/scripts/with-xvfb.sh" "$0" --inside-display "$build"
