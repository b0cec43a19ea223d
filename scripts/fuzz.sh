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
missing=()
for p in clang libclang-rt-14-dev; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

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
