#!/bin/bash
# Fails when a C++ file of the project is not in the shape .clang-format gives it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mapfile -t files < <(find app counting data platform settings tests bench fuzz scripts \
    -name '*.cpp' -o -name '*.h' 2>/dev/null | sort)
clang-format --dry-run --Werror "${files[@]}"
echo "Formatting: ${#files[@]} files checked"
