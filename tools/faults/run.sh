#!/bin/bash
# Planted-fault check: how many single faults in the game code the test suite catches.
#
#   tools/faults/run.sh [SOURCE_TREE [BUILD_DIR]]
#
# SOURCE_TREE defaults to the repository this script lives in, BUILD_DIR to
# SOURCE_TREE/build-faults (configured with -DFROSTRUN_TESTS=ON when new).
# The faults are the blocks of tools/faults/faults.txt (FAULTS=FILE names
# another list). For each, fault.py plants it in its file and puts the file
# back after an incremental build and the suite but the real-window and
# package tests (too slow per fault). One line per fault: caught (ctest
# failed), missed, doesn't apply (file or old text not found exactly once)
# or doesn't build (never counted as caught); then "caught N of M". Needs
# the suite to pass on the unchanged tree first. About 30 s per fault on two
# cores.
set -u
here=$(cd "$(dirname "$0")" && pwd)
tree=$(cd "${1:-$here/../..}" && pwd)
faults=${FAULTS:-$here/faults.txt}
export build=${2:-$tree/build-faults} log
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Builds and runs the suite: status 10 when the build fails, 11 when a test does.
suite() {
    cmake --build "$build" -j2 >"$log" 2>&1 || return 10
    ctest --test-dir "$build" -E "RealWindow|DebianPackage" --stop-on-failure -j2 --timeout 120 \
        >"$log" 2>&1 || return 11
}
export -f suite

[ -f "$build/CMakeCache.txt" ] || cmake -S "$tree" -B "$build" -DFROSTRUN_TESTS=ON >/dev/null
if ! suite; then
    tail -20 "$log"
    echo "the unchanged game does not build or pass its suite: no count" >&2
    exit 2
fi
total=$(/usr/bin/python3 "$here/fault.py" "$faults" count)
declare -A count
for i in $(seq 1 "$total"); do
    what=$(/usr/bin/python3 "$here/fault.py" "$faults" try "$i" "$tree" bash -c suite)
    case $? in
    0) result=missed ;;
    3) result="doesn't apply" ;;
    10) result="doesn't build" ;;
    11) result=caught
        failed=$(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) .*/\1/p' "$log" | paste -sd, -)
        what="$what  [first failed: $failed]" ;;
    *) echo "stopped at fault $i" >&2 && exit 1 ;;
    esac
    count[$result]=$((${count[$result]:-0} + 1))
    printf '%2d %-13s %s\n' "$i" "$result" "$what"
done
cmake --build "$build" -j2 >/dev/null 2>&1  # leave the build as the tree is
echo "caught ${count[caught]:-0} of $total (missed ${count[missed]:-0}," \
    "doesn't apply ${count["doesn't apply"]:-0}, doesn't build ${count["doesn't build"]:-0})"
