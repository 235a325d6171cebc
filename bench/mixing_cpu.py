#!/usr/bin/python3
"""What the mixing thread costs: the real game in Xvfb (tools/xwindow.py)
on SDL's dummy audio driver (which mixes in real time), its music playing
and a jump's effect started every half second, for SECONDS; then the CPU
time of each of the game's threads from /proc (schedstat: nanoseconds on a
CPU), as a share of one core.

    mixing_cpu.py GAME_BINARY [SECONDS]

The main thread is the game's own; the others are SDL's (on classic SDL
1.2 the one audio thread, which runs SDL_mixer's mixing).
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tools"))
import xwindow  # noqa: E402

ASSETS = os.path.join(HERE, "..", "assets")


def thread_ns(pid):
    """{thread id: (name, nanoseconds on a CPU)} of a process."""
    found = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                ns = int(f.read().split()[0])
            with open(f"/proc/{pid}/task/{tid}/comm") as f:
                name = f.read().strip()
        except OSError:
            continue
        found[int(tid)] = (name, ns)
    return found


def main(argv):
    game = os.path.abspath(argv[0])
    seconds = float(argv[1]) if len(argv) > 1 else 10
    folder = tempfile.mkdtemp(prefix="frostrun-mixing-")
    for image in ("background.png", "sprites.png"):
        shutil.copy(os.path.join(ASSETS, image), folder)
    shutil.copytree(os.path.join(ASSETS, "sounds"), os.path.join(folder, "sounds"))
    server = xwindow.XServer()
    try:
        env = dict(server.env, SDL_AUDIODRIVER="dummy")
        process = subprocess.Popen([game], cwd=folder, env=env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        window = server.window("Frostrun")
        time.sleep(1)
        before, start = thread_ns(process.pid), time.monotonic()
        presses = 0
        while time.monotonic() - start < seconds:
            server.key(window, "space")
            presses += 1
            time.sleep(0.5)
        after, spent = thread_ns(process.pid), time.monotonic() - start
        server.key(window, "q")
        process.wait(timeout=20)
    finally:
        server.close()
        shutil.rmtree(folder)
    print(f"{spent:.1f} s of play, {presses} jumps, music playing; CPU of each thread:")
    for tid, (name, ns) in sorted(after.items()):
        used = ns - before.get(tid, (name, 0))[1]
        role = "main (the game)" if tid == process.pid else "SDL's"
        share = 100 * used / 1e9 / spent
        print(f"  {tid:>8} {name:16} {role:16} {used / 1e6:9.1f} ms  {share:6.2f}%")


if __name__ == "__main__":
    main(sys.argv[1:])
