#!/usr/bin/env bash
# Installs the game into a fresh prefix and checks it the way a player and
# a distribution meet it: the launcher starts the game headless from an
# unrelated folder (its frame lines land in the log, not on the terminal),
# a damaged install stops with the image error and status 1, the desktop
# entry validates, the man page renders, the icons are what their script
# makes, and the install manifest removes everything again.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR
set -u
build=$1
source=$2
passed=0
failed=0
check() {
    local name=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok - $name"
    else
        failed=$((failed + 1))
        echo "FAIL - $name"
    fi
}

scratch=$(mktemp -d /tmp/frostrun-install-XXXXXX)
game_pid=
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT
prefix=$scratch/prefix
elsewhere=$scratch/elsewhere
state=$scratch/state
mkdir -p "$elsewhere"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy XDG_STATE_HOME=$state

# The component install writes install_manifest_frostrun.txt, leaving a
# player's own install_manifest.txt in the build folder alone.
manifest=$build/install_manifest_frostrun.txt
check "cmake --install into a fresh prefix" \
    cmake --install "$build" --prefix "$prefix" --component frostrun
installed() {
    for path in bin/frostrun libexec/frostrun/frostrun share/frostrun/background.png \
        share/frostrun/sprites.png share/applications/frostrun.desktop \
        share/icons/hicolor/48x48/apps/frostrun.png share/icons/hicolor/64x64/apps/frostrun.png \
        share/man/man6/frostrun.6; do
        [ -f "$prefix/$path" ] || { echo "missing: $path"; return 1; }
    done
    [ -x "$prefix/bin/frostrun" ] && [ -x "$prefix/libexec/frostrun/frostrun" ]
}
check "binary, images, launcher, desktop entry, icons and man page in place" installed

# Started from another folder, the game finds its images and runs: its
# start-up line and frame lines reach the launcher's log (stdout is
# block-buffered there, so they arrive in 4 kB steps), and it keeps running
# until stopped.
log=$state/frostrun/frostrun.log
runs_from_elsewhere() {
    (cd "$elsewhere" && exec "$prefix/bin/frostrun" >"$scratch/stdout" 2>"$scratch/stderr") &
    game_pid=$!
    for _ in $(seq 300); do
        grep -q '^the colorkey is 0$' "$log" 2>/dev/null && grep -q ', delay is ' "$log" && break
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.1
    done
    local running=0
    kill -0 "$game_pid" 2>/dev/null || running=1
    kill "$game_pid" 2>/dev/null
    wait "$game_pid"
    local status=$?
    game_pid=
    [ "$running" -eq 0 ] || { echo "the game stopped by itself with status $status"; cat "$scratch/stderr"; return 1; }
    grep -q '^the colorkey is 0$' "$log" || { echo "no start-up line in $log"; return 1; }
    grep -qE '^[0-9]+, delay is (0|10) ms$' "$log" || { echo "no frame line in $log"; return 1; }
    [ ! -s "$scratch/stdout" ] || { echo "the frame lines reached standard output"; return 1; }
    [ "$(cat "$scratch/stderr")" = "Frostrun - version 0.1 " ] || { echo "standard error: $(cat "$scratch/stderr")"; return 1; }
    [ -z "$(ls -A "$elsewhere")" ] || { echo "files left in the working folder"; return 1; }
}
check "launcher runs the game from any folder, frame lines in the log" runs_from_elsewhere

# A launcher reached through a symbolic link (as from /usr/games) still
# finds the data folder; without its backdrop the game stops at once.
damaged_install_fails() {
    mv "$prefix/share/frostrun/background.png" "$scratch/"
    ln -s "$prefix/bin/frostrun" "$scratch/link"
    (cd "$elsewhere" && "$scratch/link" 2>"$scratch/stderr")
    local status=$?
    mv "$scratch/background.png" "$prefix/share/frostrun/"
    rm "$scratch/link"
    [ "$status" -eq 1 ] || { echo "status $status"; return 1; }
    grep -q 'Image error: background.png: ' "$scratch/stderr" || { cat "$scratch/stderr"; return 1; }
}
check "without its backdrop the game stops with the image error and status 1" damaged_install_fails

check "desktop entry validates" desktop-file-validate "$prefix/share/applications/frostrun.desktop"
man_renders() {
    local page
    page=$(MANWIDTH=80 man -l "$prefix/share/man/man6/frostrun.6" 2>"$scratch/man-errors" | col -b)
    [ ! -s "$scratch/man-errors" ] || { cat "$scratch/man-errors"; return 1; }
    for text in "frostrun - catch the snowflakes" KEYS "EXIT STATUS" "Image error: file: reason" \
        "frostrun/frostrun.log"; do
        grep -qF -- "$text" <<<"$page" || { echo "man page lacks: $text"; return 1; }
    done
    [ -z "$(groff -man -ww -z "$prefix/share/man/man6/frostrun.6" 2>&1)" ]
}
check "man page renders without warnings" man_renders
check "icons are what packaging/make_icon.py makes" /usr/bin/python3 "$source/packaging/make_icon.py" --check

uninstalls() {
    xargs rm <"$manifest" || return 1
    [ -z "$(find "$prefix" -type f)" ] || { find "$prefix" -type f; return 1; }
}
check "the install manifest removes every installed file" uninstalls

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
