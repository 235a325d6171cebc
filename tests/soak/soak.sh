#!/bin/sh
# The soak: FRAMES frames of random play (default one million) as a
# sequence of whole games, each a fresh run of frostrun_soak, under the
# address and undefined-behaviour sanitizers.
#   tests/soak/soak.sh [FRAMES] [BUILD_DIR] [FIRST_SEED]
# BUILD_DIR defaults to build-asan, configured and built here when needed;
# games are seeded FIRST_SEED (default 1), FIRST_SEED + 1, ...
# Stops at the first invariant broken, sanitizer report or crash.
set -eu
top=$(cd "$(dirname "$0")/../.." && pwd)
frames=${1:-1000000}
build=${2:-$top/build-asan}
if [ ! -x "$build/tests/frostrun_soak" ]; then
    cmake -S "$top" -B "$build" -DFROSTRUN_TESTS=ON -DFROSTRUN_SANITIZE=ON >/dev/null
    cmake --build "$build" -j2 --target frostrun_soak >/dev/null
fi
build=$(cd "$build" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$top/assets/background.png" "$top/assets/sprites.png" "$work"
cd "$work"

export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"  # a game leaks nothing at exit either
total=0 games=0 seed=${3:-1} levels=0 quits=0
started=$(date +%s)
while [ "$total" -lt "$frames" ]; do
    if ! "$build/tests/frostrun_soak" "$seed" $((frames - total)) >/dev/null 2>report; then
        cat report
        echo "soak: FAILED in game $((games + 1)) (seed $seed) after $total frames" >&2
        exit 1
    fi
    if grep -q -e Sanitizer -e "runtime error" report; then
        cat report
        echo "soak: FAILED: sanitizer report in game $((games + 1)) (seed $seed)" >&2
        exit 1
    fi
    line=$(grep -o 'soak: seed.*' report)  # the caption comes first, unended
    set -- $line
    total=$((total + $5)) games=$((games + 1)) seed=$((seed + 1))
    [ "$7" -gt "$levels" ] && levels=$7
    case "$line" in *"by q") quits=$((quits + 1)) ;; esac
done
echo "soak: $total frames in $games games ($quits ended by q, the rest by the last life; highest level $levels), $(( $(date +%s) - started )) s: no invariant broken, no sanitizer report, no heap growth"
