#!/usr/bin/python3
"""Frames per second of the game in a real window.

Usage: measure_fps.py [--lib DIR] [--seconds S] GAME [GAME_ARGS...]

Starts Xvfb (1920 x 1080 x 24, -noreset) on a free display, runs GAME with
GAME_ARGS from a copy of the assets folder, with LD_LIBRARY_PATH=DIR when
--lib is given (to run it on another SDL 1.2 library), plays for S seconds
(default 20: walks right and left, jumps now and then, and starts the next
level when no frame came for two seconds: the intro waits for q), ends it
with q and reads the per-frame lines it printed. Each line's first value is the time
since the frame before, so fps = 1000 / mean of those, leaving out the first
50 frames (start-up) and the gaps of a second or more that a level's intro
or a crash sequence leaves between two frames of play. Needs xvfb and
xdotool.
"""
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import xwindow  # noqa: E402

SKIPPED_FRAMES = 50
INTRO_S = 2.0  # no frame for so long: a level intro (a crash sequence takes 1.3 s)
PAUSE_MS = 1000  # a level intro or crash sequence, not a frame of play


def libraries(pid):
    """The SDL libraries the running game has loaded."""
    with open(f"/proc/{pid}/maps") as maps:
        return sorted({line.split()[-1] for line in maps if "libSDL" in line})


def play(game, args, server, seconds, folder):
    with open(os.path.join(folder, "stdout"), "w+") as out:
        # Line-buffered output shows when frames stop coming (one write per frame).
        process = subprocess.Popen(["stdbuf", "-oL", game, *args], cwd=folder, env=server.env,
                                   stdout=out, stderr=subprocess.DEVNULL)
        try:
            if not xwindow.wait_for(lambda: server.xdotool("search", "--name", "^Frostrun"), 20):
                sys.exit("no game window")
            window = server.xdotool("search", "--name", "^Frostrun").split()[0]
            print("window:", " ".join(server.xdotool("getwindowgeometry", window).split()[3:]))
            print("libraries:", " ".join(libraries(process.pid)))
            server.xdotool("windowfocus", "--sync", window)
            end = time.time() + seconds
            step = 0
            grown, size = time.time(), 0
            while time.time() < end and process.poll() is None:
                if os.path.getsize(out.name) != size:
                    grown, size = time.time(), os.path.getsize(out.name)
                if time.time() - grown > INTRO_S:
                    server.xdotool("key", "q")  # a level's intro waits for q
                    grown = time.time()
                else:
                    server.xdotool("key", ("Right", "Left")[step // 6 % 2] if step % 2 else "space")
                    step += 1
                time.sleep(0.5)
            # q ends a level; on a level's intro it starts the level instead.
            for _ in range(5):
                if process.poll() is not None:
                    break
                server.xdotool("key", "q")
                xwindow.wait_for(lambda: process.poll() is not None, 2)
        finally:
            if process.poll() is None:
                process.kill()
            process.wait()
        out.seek(0)
        return [int(ms) for ms in re.findall(r"\n(\d+), delay is \d+ ms\n", out.read())]


def main(argv):
    lib, seconds = None, 20.0
    while argv and argv[0] in ("--lib", "--seconds"):
        if argv[0] == "--lib":
            lib = argv[1]
        else:
            seconds = float(argv[1])
        argv = argv[2:]
    if not argv:
        sys.exit(__doc__)
    game, args = os.path.abspath(argv[0]), argv[1:]
    server = xwindow.XServer(1920, 1080)
    if lib:
        server.env["LD_LIBRARY_PATH"] = os.path.abspath(lib)
    try:
        with tempfile.TemporaryDirectory() as folder:
            for name in ("background.png", "sprites.png"):
                shutil.copy(os.path.join(xwindow.ASSETS, name), folder)
            frames = play(game, args, server, seconds, folder)[SKIPPED_FRAMES:]
    finally:
        server.close()
    pauses = [ms for ms in frames if ms >= PAUSE_MS]
    frames = [ms for ms in frames if ms < PAUSE_MS]
    if not frames:
        sys.exit("too few frames")
    mean = statistics.mean(frames)
    print(f"frames: {len(frames)} (after the first {SKIPPED_FRAMES}; pauses left out: {pauses}),"
          f" mean {mean:.2f} ms,"
          f" median {statistics.median(frames)} ms, max {max(frames)} ms")
    print(f"fps: {1000 / mean:.1f}")


if __name__ == "__main__":
    main(sys.argv[1:])
