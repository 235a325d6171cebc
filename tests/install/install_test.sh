#!/usr/bin/env bash
# Checks the game as a player and a distribution meet it:
#   install_test.sh BUILD_DIR SOURCE_DIR  installs it into a fresh prefix
#   install_test.sh --package SOURCE_DIR  builds the Debian packages twice
# Both play the game through the launcher from an unrelated folder, break
# the install to see the image error, and render the man page; each then
# checks what only it has (launcher answers and errors, desktop entry,
# icons, manifest; lintian, AppStream, the exact file list, version, a
# byte-equal second build).
set -u
package=
[ "$1" = --package ] && package=yes && shift
build=$1
source=${2:-$1}
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
trap 'rm -rf "$scratch"' EXIT
elsewhere=$scratch/elsewhere
log=$scratch/state/frostrun/frostrun.log
mkdir -p "$elsewhere"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy XDG_STATE_HOME=$scratch/state
export XDG_DATA_HOME=$scratch/data  # the best-scores table of the games played here

# Starts LAUNCHER from another folder in a virtual X server and presses q
# once its window shows: status 0, nothing on the terminal's standard output,
# the caption on standard error, the start-up and frame lines in the log
# (libX11 leaks a few bytes of its own, which a sanitizer build would report).
plays_and_quits() {
    (cd "$elsewhere" && SDL_VIDEODRIVER=x11 ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0 \
        xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp -noreset" sh -c '
            "$1" >"$2/stdout" 2>"$2/stderr" &
            timeout 20 xdotool search --sync --name "^Frostrun" windowfocus --sync key q || kill $!
            wait $!' - "$1" "$scratch")
    local status=$?
    local err
    err=$(cat "$scratch/stderr")
    [ "$status" -eq 0 ] || { echo "status $status: $err"; return 1; }
    [ ! -s "$scratch/stdout" ] || { echo "the frame lines reached standard output"; return 1; }
    [ "$err" = "Frostrun - version 0.1 " ] || { echo "standard error: $err"; return 1; }
    grep -q '^the colorkey is 0$' "$log" || { echo "no start-up line in $log"; return 1; }
    grep -qE '^[0-9]+, delay is (0|10) ms$' "$log" || { echo "no frame line in $log"; return 1; }
    [ -z "$(ls -A "$elsewhere")" ] || { echo "files left in the working folder"; return 1; }
}

# Without its backdrop in DATA_DIR the game that LAUNCHER runs (reached
# through a symbolic link, as from a menu) stops at once with the image
# error; the remaining arguments set the environment it runs in.
fails_without_backdrop() {
    local launcher=$1 data=$2
    shift 2
    mv "$data/background.png" "$scratch/"
    ln -s "$launcher" "$scratch/link"
    (cd "$elsewhere" && env "$@" "$scratch/link" 2>"$scratch/stderr")
    local status=$?
    mv "$scratch/background.png" "$data/"
    rm "$scratch/link"
    [ "$status" -eq 1 ] || { echo "status $status"; return 1; }
    grep -q 'Image error: background.png: ' "$scratch/stderr" ||
        { cat "$scratch/stderr"; return 1; }
}

# The man page PAGE renders without warnings and holds each further text.
man_renders() {
    local file=$1 text page
    shift
    page=$(MANWIDTH=80 man -l "$file" 2>"$scratch/man-errors" | col -b)
    [ ! -s "$scratch/man-errors" ] || { cat "$scratch/man-errors"; return 1; }
    for text in "frostrun - catch the snowflakes" OPTIONS --fullscreen "EXIT STATUS" \
        "Image error: file: reason" "frostrun/frostrun.log" --scores "frostrun/scores" "$@"; do
        grep -qF -- "$text" <<<"$page" || { echo "man page lacks: $text"; return 1; }
    done
    [ -z "$(groff -man -ww -z "$file" 2>&1)" ]
}

if [ -n "$package" ]; then
    # Builds the packages as the README says, from the tree with its
    # uncommitted changes, in DIR under UMASK; more arguments go to
    # dpkg-buildpackage.
    build_package() {
        local dir=$1 mask=$2 tree
        shift 2
        tree=$(git -C "$source" stash create)
        mkdir -p "$dir"
        git -C "$source" archive --prefix=frostrun-0.1/ -o "$dir/frostrun_0.1.orig.tar.gz" \
            "${tree:-HEAD}" -- . ':!debian' || return 1
        (cd "$dir" && umask "$mask" && tar xzf frostrun_0.1.orig.tar.gz &&
            git -C "$source" archive "${tree:-HEAD}" debian | tar x -C frostrun-0.1 &&
            cd frostrun-0.1 && DEB_BUILD_OPTIONS=parallel=2 dpkg-buildpackage -us -uc "$@") \
            >"$dir/build.log" 2>&1 || { tail -20 "$dir/build.log"; return 1; }
    }
    export SOURCE_DATE_EPOCH
    SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$source/debian/changelog" -S Timestamp)
    out=$scratch/one
    deb=$out/frostrun_0.1-1_amd64.deb
    root=$scratch/root
    metainfo=$root/usr/share/metainfo/io.github.frostrun.Frostrun.metainfo.xml
    check "source and binary packages build" build_package "$out" 022
    lint() {
        local report
        report=$(lintian --fail-on error,warning "$out/frostrun_0.1-1_amd64.changes" 2>/dev/null) &&
            [ -z "$report" ] || { echo "$report"; return 1; }
    }
    check "lintian has nothing to say" lint
    file_list() {
        dpkg-deb -x "$deb" "$root" || return 1
        diff <(cd "$root" && find . -type f | LC_ALL=C sort) \
            <(LC_ALL=C sort "$source/tests/install/package-files.txt")
    }
    check "the package holds the files of tests/install/package-files.txt, no others" file_list
    appstream() {
        appstreamcli validate-tree --no-net "$root" >"$scratch/appstream" 2>&1 &&
            ! grep -qE '^ *[EW]:' "$scratch/appstream" || { cat "$scratch/appstream"; return 1; }
    }
    check "the AppStream metadata validates without warnings" appstream
    check "the unpacked launcher runs the unpacked game" \
        fails_without_backdrop "$root/usr/games/frostrun" "$root/usr/share/games/frostrun"
    check "the unpacked game plays and quits with q" plays_and_quits "$root/usr/games/frostrun"
    caption=$(cat "$scratch/stderr")
    zcat "$root/usr/share/man/man6/frostrun.6.gz" >"$scratch/frostrun.6"
    check "man page renders and names the Debian folders" man_renders "$scratch/frostrun.6" \
        /usr/games/frostrun /usr/lib/games/frostrun/frostrun /usr/share/games/frostrun/sprites.png
    # The version is written once, in CMakeLists.txt; the others follow it
    # (the package's version is the changelog's).
    versions_agree() {
        local version from_deb answer found
        version=$(sed -n 's/^project(frostrun VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
        from_deb=$(dpkg-deb -f "$deb" Version)
        answer=$(timeout 10 "$root/usr/games/frostrun" --version | head -n 1)
        for found in "${from_deb%-1}" "${answer#Frostrun }" \
            "$(sed -n 's/.*release version="\([^"]*\)".*/\1/p' "$metainfo")" \
            "$(sed -n 's/^Frostrun - version \(.*\) $/\1/p' <<<"$caption")"; do
            [ "$found" = "$version" ] || { echo "'$found' is not version $version"; return 1; }
        done
    }
    check "changelog, package, metainfo, caption and --version give the CMake version" \
        versions_agree
    # Another path, another umask, the same SOURCE_DATE_EPOCH.
    reproducible() {
        build_package "$scratch/other/path" 077 -b || return 1
        for file in "$out"/*.deb; do
            cmp "$file" "$scratch/other/path/${file##*/}" || return 1
        done
    }
    check "a second build gives byte-identical .deb files" reproducible
else
    prefix=$scratch/prefix
    launcher=$prefix/bin/frostrun
    # The component install writes install_manifest_frostrun.txt, leaving a
    # player's own install_manifest.txt in the build folder alone.
    manifest=$build/install_manifest_frostrun.txt
    check "cmake --install into a fresh prefix" \
        cmake --install "$build" --prefix "$prefix" --component frostrun
    check "launcher plays the game from any folder, frame lines in the log" \
        plays_and_quits "$launcher"
    check "without its backdrop the game stops with the image error and status 1" \
        fails_without_backdrop "$launcher" "$prefix/share/frostrun"
    # --help and --version answer on the terminal (status 1 when it cannot
    # be written), a bad option on standard error alone, with the game's own
    # statuses (a game that ignored them
    # would run on: the timeout stops it).
    answers() {
        [ "$(timeout 10 "$launcher" --version)" = "Frostrun 0.1" ] ||
            { echo "--version"; return 1; }
        timeout 10 "$launcher" --help | grep -q -- --fullscreen || { echo "--help"; return 1; }
        timeout 10 "$launcher" --scores | grep -qE '^ +1 +0 +1  ' || { echo "--scores"; return 1; }
        timeout 10 "$launcher" --help >/dev/full
        [ $? -eq 1 ] || { echo "--help into a full device: not status 1"; return 1; }
        timeout 10 "$launcher" --bogus >"$scratch/stdout" 2>"$scratch/stderr"
        local status=$?
        [ "$status" -eq 2 ] || { echo "--bogus: status $status"; return 1; }
        [ ! -s "$scratch/stdout" ] || { echo "--bogus: $(cat "$scratch/stdout")"; return 1; }
        [ "$(wc -l <"$scratch/stderr")" -eq 1 ] &&
            grep -q '^frostrun: .*(see frostrun --help)$' "$scratch/stderr" ||
            { echo "--bogus: $(cat "$scratch/stderr")"; return 1; }
    }
    check "launcher passes --help, --version, --scores and a bad option's answer to the terminal" \
        answers
    # SDL that cannot start: the caption and SDL's reason, status 1.
    no_video() {
        (cd "$elsewhere" && SDL_VIDEODRIVER=none timeout 20 "$launcher" >"$scratch/stdout" \
            2>"$scratch/stderr")
        local status=$?
        [ "$status" -eq 1 ] && [ ! -s "$scratch/stdout" ] &&
            grep -q '^Frostrun - version 0\.1 SDL error: ' "$scratch/stderr" ||
            { echo "status $status: $(cat "$scratch/stdout" "$scratch/stderr")"; return 1; }
    }
    check "without a video driver the game says SDL's error and ends with status 1" no_video
    # The log's folder follows the XDG base-directory rules: a relative
    # XDG_STATE_HOME is ignored for ~/.local/state; with neither a home nor
    # XDG_STATE_HOME no folder is made anywhere.
    log_folders() {
        local home=$scratch/home before
        mkdir "$home"
        fails_without_backdrop "$launcher" "$prefix/share/frostrun" \
            HOME="$home" XDG_STATE_HOME=relative || return 1
        [ -d "$home/.local/state/frostrun" ] || { echo "no log folder in the home"; return 1; }
        before=$(ls -A /)
        fails_without_backdrop "$launcher" "$prefix/share/frostrun" -u HOME -u XDG_STATE_HOME ||
            return 1
        [ "$(ls -A /)" = "$before" ] || { echo "a folder was made in /"; return 1; }
    }
    check "launcher keeps its log under the home, or nowhere" log_folders
    check "desktop entry validates" \
        desktop-file-validate "$prefix/share/applications/frostrun.desktop"
    check "man page renders and names the folders of the build" man_renders \
        "$prefix/share/man/man6/frostrun.6" \
        "$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")/share/frostrun"
    check "icons are what packaging/make_icon.py makes" \
        /usr/bin/python3 "$source/packaging/make_icon.py" --check
    uninstalls() {
        xargs rm <"$manifest" || return 1
        [ -z "$(find "$prefix" -type f)" ] || { find "$prefix" -type f; return 1; }
    }
    check "the install manifest removes every installed file" uninstalls
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
