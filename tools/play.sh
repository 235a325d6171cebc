#!/bin/sh
# Installs what is missing, builds the game and starts it with its images.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/install-deps.sh"
cmake -S "$top" -B "$top/build" -DFROSTRUN_TESTS=OFF -DFROSTRUN_BENCH=OFF
cmake --build "$top/build" -j "$(nproc)"
# The game reads background.png and sprites.png from its working directory.
cd "$top/assets"
exec "$top/build/frostrun"
