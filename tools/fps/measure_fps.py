#!/usr/bin/env python3
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
import random
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ASSETS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "assets")
SKIPPED_FRAMES = 50
INTRO_S = 2.0  # no frame for so long: a level intro (a crash sequence takes 1.3 s)
PAUSE_MS = 1000  # a level intro or crash sequence, not a frame of play


def xdotool(env, *args):
    run = subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True, timeout=20)
    return run.stdout if run.returncode == 0 else ""


def wait_for(condition, seconds):
    end = time.time() + seconds
    while time.time() < end:
        if condition():
            return True
        time.sleep(0.05)
    return False


def start_xvfb(env):
    for _ in range(20):
        number = random.randint(200, 30000)
        if os.path.exists(f"/tmp/.X{number}-lock"):
            continue
        env["DISPLAY"] = f":{number}"
        xvfb = subprocess.Popen(["Xvfb", env["DISPLAY"], "-screen", "0", "1920x1080x24",
                                 "-nolisten", "tcp", "-noreset"], stderr=subprocess.DEVNULL)
        if wait_for(lambda: xdotool(env, "getdisplaygeometry").split() == ["1920", "1080"], 10):
            return xvfb
        xvfb.kill()
        xvfb.wait()
    sys.exit("no X server could be started")


def libraries(pid):
    """The SDL libraries the running game has loaded."""
    with open(f"/proc/{pid}/maps") as maps:
        return sorted({line.split()[-1] for line in maps if "libSDL" in line})


def play(game, args, env, seconds, folder):
    with open(os.path.join(folder, "stdout"), "w+") as out:
        # Line-buffered output shows when frames stop coming (one write per frame).
        process = subprocess.Popen(["stdbuf", "-oL", game, *args], cwd=folder, env=env, stdout=out,
                                   stderr=subprocess.DEVNULL)
        try:
            if not wait_for(lambda: xdotool(env, "search", "--name", "^Frostrun"), 20):
                sys.exit("no game window")
            window = xdotool(env, "search", "--name", "^Frostrun").split()[0]
            print("window:", " ".join(xdotool(env, "getwindowgeometry", window).split()[3:]))
            print("libraries:", " ".join(libraries(process.pid)))
            xdotool(env, "windowfocus", "--sync", window)
            end = time.time() + seconds
            step = 0
            grown, size = time.time(), 0
            while time.time() < end and process.poll() is None:
                if os.path.getsize(out.name) != size:
                    grown, size = time.time(), os.path.getsize(out.name)
                if time.time() - grown > INTRO_S:
                    xdotool(env, "key", "q")  # a level's intro waits for q
                    grown = time.time()
                else:
                    xdotool(env, "key", ("Right", "Left")[step // 6 % 2] if step % 2 else "space")
                    step += 1
                time.sleep(0.5)
            # q ends a level; on a level's intro it starts the level instead.
            for _ in range(5):
                if process.poll() is not None:
                    break
                xdotool(env, "key", "q")
                wait_for(lambda: process.poll() is not None, 2)
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
    env = dict(os.environ, SDL_AUDIODRIVER="dummy")
    env.pop("SDL_VIDEODRIVER", None)
    if lib:
        env["LD_LIBRARY_PATH"] = os.path.abspath(lib)
    xvfb = start_xvfb(env)
    try:
        with tempfile.TemporaryDirectory() as folder:
            for name in ("background.png", "sprites.png"):
                shutil.copy(os.path.join(ASSETS, name), folder)
            frames = play(game, args, env, seconds, folder)[SKIPPED_FRAMES:]
    finally:
        xvfb.terminate()
        xvfb.wait()
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
