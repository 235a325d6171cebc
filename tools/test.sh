#!/bin/sh
# Installs what is missing, then builds and runs the whole test suite twice:
# as players build the game, and with the address and undefined-behaviour
# sanitizers.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/install-deps.sh" --tests
jobs=$(nproc)

cmake -S "$top" -B "$top/build-test" -DFROSTRUN_TESTS=ON
cmake --build "$top/build-test" -j "$jobs"
ctest --test-dir "$top/build-test" -j "$jobs" --output-on-failure

cmake -S "$top" -B "$top/build-asan" -DFROSTRUN_TESTS=ON -DFROSTRUN_SANITIZE=ON
cmake --build "$top/build-asan" -j "$jobs"
ctest --test-dir "$top/build-asan" -j "$jobs" --output-on-failure

echo "All tests passed."
