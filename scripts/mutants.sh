#!/bin/bash
# Shows that the suite catches faults: applies each single-line fault of scripts/mutants.txt (or
# the list given) to a scratch copy of the tree, one at a time, rebuilds it incrementally, runs
# the whole suite with CTest and puts the file back. Prints "N of M caught" and names the faults
# no test noticed. A fault whose text is not found exactly once stops the run before anything
# is built: the list has gone stale.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
list=$(realpath "${1:-$root/scripts/mutants.txt}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# ccache makes each rebuild quick; a machine without it builds plainly.
if command -v ccache >/dev/null 2>&1; then
    export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
elif [ "${CMAKE_CXX_COMPILER_LAUNCHER:-}" = ccache ]; then
    unset CMAKE_CXX_COMPILER_LAUNCHER
fi

"$root/scripts/setup.sh"
mkdir "$work/src"
(cd "$root" && git ls-files -z | xargs -0 cp --parents -t "$work/src")

# mutate.py check|apply|restore LIST [INDEX]: one place that reads the list.
cat >"$work/mutate.py" <<'PY'
import pathlib, re, sys
action, listfile = sys.argv[1], sys.argv[2]
faults, cur = [], None
for line in pathlib.Path(listfile).read_text(encoding="utf-8").splitlines():
    if m := re.match(r"^\[(.+)\]$", line):
        cur = {"name": m[1]}
        faults.append(cur)
    elif m := re.match(r"^(file|from|to) *= ?(.*)$", line):
        cur[m[1]] = m[2]
src = pathlib.Path("src")
if action == "check":
    bad = 0
    for f in faults:
        n = (src / f["file"]).read_text(encoding="utf-8").count(f["from"])
        if n != 1 or not f["from"]:
            print(f"mutants: [{f['name']}] {f['file']}: text found {n} times: {f['from']}")
            bad += 1
    print(len(faults))
    sys.exit(1 if bad else 0)
f = faults[int(sys.argv[3])]
path = src / f["file"]
if action == "apply":
    text = path.read_text(encoding="utf-8")
    pathlib.Path("original").write_text(text, encoding="utf-8")
    path.write_text(text.replace(f["from"], f["to"]), encoding="utf-8")
    print(f["name"])
else:
    path.write_text(pathlib.Path("original").read_text(encoding="utf-8"), encoding="utf-8")
PY

cd "$work"
count=$(python3 mutate.py check "$list") || { echo "$count"; echo "mutants: the list is stale"; exit 1; }
cmake -S src -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" >build.log 2>&1 || { tail -n 30 build.log; exit 1; }
ctest --test-dir build -j "$(nproc)" >ctest.log 2>&1 || { tail -n 30 ctest.log; echo "mutants: the suite fails without a fault"; exit 1; }

caught=0
survivors=()
unbuilt=()
for ((i = 0; i < count; i++)); do
    name=$(python3 mutate.py apply "$list" "$i")
    if ! cmake --build build -j "$(nproc)" >build.log 2>&1; then
        unbuilt+=("$name")
        echo "does not build: $name"
    elif ctest --test-dir build -j "$(nproc)" --timeout 120 >ctest.log 2>&1; then
        survivors+=("$name")
        echo "SURVIVED: $name"
    else
        caught=$((caught + 1))
        # Name the suites that failed, so that a test can be cut without losing a fault.
        failed=$(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) .*/\1/p' ctest.log | paste -sd ' ')
        echo "caught (by $failed): $name"
    fi
    python3 mutate.py restore "$list" "$i"
done

echo "$caught of $count caught"
for name in "${survivors[@]}"; do echo "  survived: $name"; done
for name in "${unbuilt[@]}"; do echo "  does not build (fix the list): $name"; done
[ ${#unbuilt[@]} -eq 0 ]
