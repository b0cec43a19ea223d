#!/bin/bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each one from a scratch copy of
# its seed corpus in fuzz/corpus. Two ways:
#   scripts/fuzz.sh           a developer's search: ZORVEX_FUZZ_SECONDS (default 30) per target,
#                             with a random seed, so every run explores somewhere else.
#   scripts/fuzz.sh --replay  what .ci/run does, the same answer for the same commit: every corpus
#                             input once (the kept finds among them), then ZORVEX_FUZZ_RUNS
#                             (default 20000) inputs mutated from them with a fixed seed.
# A crash, a hang, a leak or a sanitizer finding fails the run; the input is kept in the artifact
# directory that is printed. A find is fixed at its cause, then its input goes into
# fuzz/corpus/<target>/ and the fault gets a test row, so that every later replay checks it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${ZORVEX_FUZZ_DIR:-"$root/build-fuzz"}
seconds=${ZORVEX_FUZZ_SECONDS:-30}
runs=${ZORVEX_FUZZ_RUNS:-20000}
replay=false
[ "${1:-}" = --replay ] && replay=true
targets=(itemlist history historyindex namecheck)

"$root/scripts/setup.sh"
"$root/scripts/setup.sh" clang libclang-rt-14-dev

cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DZORVEX_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
artifacts="$dir/fuzz-artifacts"
mkdir -p "$artifacts"
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
common=(-timeout=5 -rss_limit_mb=1024 -max_len=4096 -print_final_stats=1)
status=0
for t in "${targets[@]}"; do
    cp -r "$root/fuzz/corpus/$t" "$work/$t"
    log="$work/$t.log"
    fuzzer=("$dir/fuzz/fuzz_$t" "${common[@]}" -artifact_prefix="$artifacts/$t-")
    if $replay; then
        # Each kept input on its own, then the fixed-seed run from the whole corpus. The run is
        # the same every time only without what varies from one process to the next: libFuzzer
        # rereading the corpus folder on a timer (-reload), the addresses compared along the way
        # (setarch -R turns their randomisation off) and Qt's hash seed.
        what="$(ls "$work/$t" | wc -l) corpus inputs and $runs inputs of seed 1"
        "${fuzzer[@]}" "$work/$t"/* >"$log" 2>&1 \
            && QT_HASH_SEED=0 setarch "$(uname -m)" -R "${fuzzer[@]}" -seed=1 -runs="$runs" -reload=0 "$work/$t" >>"$log" 2>&1 \
            && ok=true || ok=false
    else
        "${fuzzer[@]}" -max_total_time="$seconds" "$work/$t" >"$log" 2>&1 && ok=true || ok=false
        what="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1) inputs in ${seconds} s"
    fi
    if $ok; then
        added=$(sed -n 's/^stat::new_units_added: *//p' "$log" | tail -n1)
        echo "fuzz_$t: $what, $added new inputs kept, no finding"
    else
        status=1
        tail -n 40 "$log"
        echo "fuzz_$t: FINDING, input kept under $artifacts/$t-*"
    fi
done
exit $status
