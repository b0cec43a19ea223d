#!/bin/bash
# Builds Zorvex and its tests with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan
# and runs the whole test suite; the first finding fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${ZORVEX_ASAN_DIR:-"$root/build-asan"}
"$root/scripts/setup.sh"
ZORVEX_BUILD_TYPE=Debug "$root/scripts/build.sh" "$dir" -DZORVEX_SANITIZE=ON
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_leaks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp:print_suppressions=0
cd "$dir"
ctest --output-on-failure -j "$(nproc)" "$@"
