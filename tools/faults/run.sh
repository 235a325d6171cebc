#!/bin/bash
# Planted-fault check: how many single faults in the game code the test suite catches.
#
#   tools/faults/run.sh [SOURCE_TREE [BUILD_DIR]]
#
# SOURCE_TREE defaults to the repository this script lives in, BUILD_DIR to
# SOURCE_TREE/build-faults (configured with -DFROSTRUN_TESTS=ON when new).
# The faults are the blocks of tools/faults/faults.txt (beside this script;
# FAULTS=FILE names another list);
# each names its file by base name, found under SOURCE_TREE/src. For each
# fault, on a pristine copy of its file: apply it, build incrementally, run
# the one fixed ctest command below (all but the real-window and package
# tests, too slow per fault), then put the file back (also when the
# run is interrupted). One line per fault: caught (ctest failed), missed,
# doesn't apply (file or old text not found exactly once) or doesn't build
# (never counted as caught); then "caught N of M".
#
# Needs the suite to pass on the unchanged tree first; it stops otherwise.
# Takes about 30 s per fault on two cores.
set -u

here=$(cd "$(dirname "$0")" && pwd)
tree=$(cd "${1:-$here/../..}" && pwd)
build=${2:-$tree/build-faults}
faults=${FAULTS:-$here/faults.txt}  # another list for a trial run
fault() { /usr/bin/python3 "$here/fault.py" "$faults" "$@"; }
run_suite() {
    ctest --test-dir "$build" -E "RealWindow|DebianPackage" --stop-on-failure -j2 --timeout 120 \
        >"$work/ctest.log" 2>&1
}

work=$(mktemp -d)
current=""  # the source file that holds a fault right now
restore() {
    if [ -n "$current" ]; then
        cp "$work/pristine" "$current" || { echo "COULD NOT RESTORE $current" >&2; exit 2; }
        current=""
    fi
}
trap 'restore; rm -rf "$work"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

build_game() { cmake --build "$build" -j2 >"$work/build.log" 2>&1; }

[ -f "$build/CMakeCache.txt" ] || cmake -S "$tree" -B "$build" -DFROSTRUN_TESTS=ON >/dev/null
if ! build_game || ! run_suite; then
    cat "$work/build.log" "$work/ctest.log" | tail -20
    echo "the unchanged game does not build or pass its suite: no count" >&2
    exit 2
fi

total=$(fault count)
caught=0 missed=0 unapplied=0 unbuilt=0
for i in $(seq 1 "$total"); do
    what=$(fault describe "$i")
    if ! file=$(fault locate "$i" "$tree" 2>/dev/null); then
        result="doesn't apply"
        unapplied=$((unapplied + 1))
    else
        cp "$file" "$work/pristine"
        current=$file
        fault apply "$i" "$tree"
        if ! build_game; then
            result="doesn't build"
            unbuilt=$((unbuilt + 1))
        elif run_suite; then
            result=missed
            missed=$((missed + 1))
        else
            result=caught
            caught=$((caught + 1))
            by=$(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) .*/\1/p' "$work/ctest.log" | paste -sd, -)
            what="$what  [first failed: $by]"
        fi
        restore
    fi
    printf '%2d %-13s %s\n' "$i" "$result" "$what"
done

build_game  # leave the build as the tree is
echo "caught $caught of $total (missed $missed, doesn't apply $unapplied, doesn't build $unbuilt)"
exit 0
