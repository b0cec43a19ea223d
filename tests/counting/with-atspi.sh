#!/bin/sh
# Runs one command in its own virtual X display and D-Bus session, with the accessibility bus
# already up and Qt talking to it, as on a desktop where a screen reader runs.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
exec "$(dirname "$0")/../../scripts/with-xvfb.sh" dbus-run-session -- sh -c 'dbus-send --session \
    --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null && exec "$@"' \
    - "$@"
