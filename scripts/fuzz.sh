#!/bin/bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each one for a bounded time
# (ZORVEX_FUZZ_SECONDS, default 30) from a scratch copy of the seed corpus in fuzz/corpus.
# A crash, a hang, a leak or a sanitizer finding fails the run; the input is kept in the
# artifact directory that is printed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${ZORVEX_FUZZ_DIR:-"$root/build-fuzz"}
seconds=${ZORVEX_FUZZ_SECONDS:-30}
targets=(itemlist history numeric namecheck)

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
status=0
for t in "${targets[@]}"; do
    cp -r "$root/fuzz/corpus/$t" "$work/$t"
    log="$work/$t.log"
    if "$dir/fuzz/fuzz_$t" "$work/$t" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=1024 \
        -max_len=4096 -print_final_stats=1 -artifact_prefix="$artifacts/$t-" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "fuzz_$t: $runs inputs in ${seconds} s, no finding"
    else
        status=1
        tail -n 40 "$log"
        echo "fuzz_$t: FINDING, input kept under $artifacts/$t-*"
    fi
done
exit $status
