#!/bin/bash
# Builds the benchmarks in Release (build-bench) and runs them all: the in-process figures with
# Google Benchmark, then, as whole processes under one virtual X display, the settings window
# with long histories against an empty one, start-up to the first paint against an empty Qt
# window, a window with one line of Japanese text and a window with the counting window's texts
# as plain labels, the same with the accessibility bus on,
# and the idle check. Every figure is printed beside its floor from the same run.
# Arguments go to the Google Benchmark binary (e.g. --benchmark_filter=ShowHistory);
# ZORVEX_STARTUP_RUNS (default 40) and ZORVEX_HISTORY_RUNS (default 20) set the process runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/setup.sh" libbenchmark-dev

dir="$root/build-bench"
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DZORVEX_BENCH=ON >/dev/null
cmake --build "$dir" -j "$(nproc)" --target zorvex zorvex_bench zorvex_firstpaint \
    zorvex_settingspaint zorvex_emptywindow zorvex_textwindow zorvex_labelswindow zorvex_firstpaint_nofontcheck \
    zorvex_startup_driver

# Qt wants a private runtime directory; a fresh one keeps its warning out of the figures.
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR="$runtime"
bench="$dir/bench"
driver="$bench/zorvex_startup_driver"
startupRuns=${ZORVEX_STARTUP_RUNS:-40}

echo "== In-process benchmarks (offscreen) =="
QT_QPA_PLATFORM=offscreen "$bench/zorvex_bench" --benchmark_counters_tabular=true "$@"

echo "== Whole processes (Xvfb) =="
unset QT_QPA_PLATFORM
"$root/scripts/with-xvfb.sh" "$driver" history "${ZORVEX_HISTORY_RUNS:-20}" \
    "$bench/zorvex_settingspaint" 100000 1000000
"$root/scripts/with-xvfb.sh" "$driver" startup "$startupRuns" "$bench/zorvex_firstpaint" \
    "$bench/zorvex_emptywindow" "$bench/zorvex_textwindow" "$bench/zorvex_labelswindow" \
    "$bench/zorvex_firstpaint_nofontcheck"

echo "== Start-up with the accessibility bus on (Xvfb, own D-Bus session) =="
# As on a desktop where a screen reader runs: the bus is up before the programs start, and Qt
# talks to it.
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$root/scripts/with-xvfb.sh" dbus-run-session -- sh -c \
    'dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
        >/dev/null && exec "$@"' - \
    "$driver" startup "$startupRuns" \
    "$bench/zorvex_firstpaint" "$bench/zorvex_emptywindow" "$bench/zorvex_textwindow" \
    "$bench/zorvex_labelswindow" 2> >(grep -v -e '^dbus-daemon' -e 'SpiRegistry daemon' >&2)

echo "== Idle =="
"$root/scripts/with-xvfb.sh" "$driver" idle "$dir/app/zorvex"
