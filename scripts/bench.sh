#!/bin/bash
# Builds the benchmarks in Release (build-bench) and runs them all: the in-process figures with
# Google Benchmark, then start-up to first paint against an empty Qt window and the idle check,
# both under one virtual X display. Every figure is printed beside its floor from the same run.
# Arguments go to the Google Benchmark binary (e.g. --benchmark_filter=ShowHistory).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/setup.sh" libbenchmark-dev

dir="$root/build-bench"
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DZORVEX_BENCH=ON >/dev/null
cmake --build "$dir" -j "$(nproc)" --target zorvex zorvex_bench zorvex_firstpaint \
    zorvex_emptywindow zorvex_textwindow zorvex_firstpaint_nofontcheck zorvex_startup_driver

# Qt wants a private runtime directory; a fresh one keeps its warning out of the figures.
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR="$runtime"

echo "== In-process benchmarks (offscreen) =="
QT_QPA_PLATFORM=offscreen "$dir/bench/zorvex_bench" --benchmark_counters_tabular=true "$@"

echo "== Start-up to first paint, peak memory and idle CPU (Xvfb) =="
env -u QT_QPA_PLATFORM "$root/scripts/with-xvfb.sh" "$dir/bench/zorvex_startup_driver" \
    "$dir/bench/zorvex_firstpaint" "$dir/bench/zorvex_emptywindow" "$dir/bench/zorvex_textwindow" \
    "$dir/bench/zorvex_firstpaint_nofontcheck" "$dir/app/zorvex" \
    "${ZORVEX_STARTUP_RUNS:-40}"
