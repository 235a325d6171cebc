#!/usr/bin/python3
"""The game's sound as it leaves the game, and the game without sound.

    sound_e2e.py GAME_BINARY PLAY_DRIVER

1. The game binary in Xvfb (tools/xwindow.py) on SDL's disk audio driver:
   a short session (a jump, then q) writes the music from its first
   sample on and, mixed into it, the jump's samples exactly as the
   generator made them; with --mute it writes only silence.
2. No audio device (SDL_AUDIODRIVER=nosuchdriver), no sounds folder, a
   damaged sound file: the replay driver plays the walk session with the
   same pictures and standard output as its golden files, status 0, and
   standard error holds the caption and the game's one line
   "frostrun: no sound: ..."; the game binary in Xvfb quits on q with
   status 0 and the same line.
"""
import array
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools"))
import xwindow  # noqa: E402

ASSETS = os.path.join(HERE, "..", "..", "assets")
GOLDEN = os.path.join(HERE, "..", "replay", "golden")
CAPTION = b"Frostrun - version 0.1 "
NO_SOUND = re.compile(rb"^Frostrun - version 0\.1 \nfrostrun: no sound: [^\n]+\n$")


def game_folder():
    folder = tempfile.mkdtemp(prefix="frostrun-sound-")
    for image in ("background.png", "sprites.png"):
        shutil.copy(os.path.join(ASSETS, image), folder)
    shutil.copytree(os.path.join(ASSETS, "sounds"), os.path.join(folder, "sounds"))
    return folder


def samples(path, skip=0):
    data = array.array("h")
    with open(path, "rb") as f:
        f.seek(skip)
        data.frombytes(f.read())
    return data


def play_session(server, game, folder, audio, *options, jump=True):
    """Starts the game, presses space (with JUMP) and q: status, stderr."""
    env = dict(server.env, **audio)
    process = subprocess.Popen([game, *options], cwd=folder, env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    window = server.window("Frostrun")
    assert window, "no game window"
    time.sleep(0.5)
    if jump:
        server.key(window, "space")
    time.sleep(0.8)
    server.key(window, "q")
    _, err = process.communicate(timeout=30)
    return process.returncode, err


def find(haystack, needle):
    """Where the int16 samples NEEDLE (from their first non-zero one) stand
    in HAYSTACK, taken back to NEEDLE's own start; -1 when nowhere."""
    first = next(i for i, v in enumerate(needle) if v)
    at = haystack.tobytes().find(needle[first:first + 256].tobytes())
    return -1 if at < 0 or at % 2 else at // 2 - first


def disk_session(server, game, options):
    folder = game_folder()
    try:
        out = os.path.join(folder, "out.raw")
        audio = {"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": out, "SDL_DISKAUDIODELAY": "10"}
        status, err = play_session(server, game, folder, audio, *options)
        # The disk driver prints a warning of its own.
        assert status == 0 and b"no sound" not in err, f"status {status}, stderr {err!r}"
        return samples(out)
    finally:
        shutil.rmtree(folder)


def disk_output(game):
    """The music and the jump in the disk driver's output; silence muted."""
    music = samples(os.path.join(ASSETS, "sounds", "music.wav"), 44)
    jump = samples(os.path.join(ASSETS, "sounds", "jump.wav"), 44)
    server = xwindow.XServer()
    try:
        heard = disk_session(server, game, [])
        muted = disk_session(server, game, ["--mute"])
    finally:
        server.close()
    start = find(heard, music)
    assert start >= 0, "the music is not in the output"
    rest = array.array("h", (v - music[(i - start) % len(music)] if i >= start else v
                             for i, v in enumerate(heard)))
    at = find(rest, jump)
    assert at >= start, "the jump is not in the output over the music"
    assert rest[at:at + len(jump)] == jump, "the jump is not mixed in whole"
    assert not any(rest[start:at]), "something else sounds before the jump"
    assert len(muted) > len(music) // 4 and not any(muted), "--mute is not silent"
    print(f"disk output: music from sample {start}, jump at {at} "
          f"({(at - start) / 22050:.2f} s in), {len(heard)} samples; muted: "
          f"{len(muted)} samples of silence")


def without_sound(game, play):
    keys = os.path.join(GOLDEN, "walk.keys")
    frames = open(os.path.join(GOLDEN, "walk.frames")).read().splitlines()
    stdout = open(os.path.join(GOLDEN, "walk.stdout"), "rb").read()
    problems = []
    for case in ("nosuchdriver", "no sounds folder", "damaged music.wav"):
        folder = game_folder()
        env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
        if case == "nosuchdriver":
            env["SDL_AUDIODRIVER"] = case
        elif case == "no sounds folder":
            shutil.rmtree(os.path.join(folder, "sounds"))
        else:
            with open(os.path.join(folder, "sounds", "music.wav"), "r+b") as f:
                f.seek(40)
                f.write(b"\xff\xff\xff\x7f")  # a data length past the end
        trace = os.path.join(folder, "trace")
        run = subprocess.run([play, keys, "--trace", trace], cwd=folder, env=env,
                             capture_output=True, timeout=120)
        got = open(trace).read().splitlines() if os.path.exists(trace) else []
        shutil.rmtree(folder)
        if run.returncode != 0 or got != frames or run.stdout != stdout:
            problems.append(f"{case}: status {run.returncode}, same pictures {got == frames},"
                            f" same output {run.stdout == stdout}")
        if not NO_SOUND.match(run.stderr):
            problems.append(f"{case}: standard error {run.stderr!r}")
        print(f"{case}: {run.stderr.decode().splitlines()[-1]}")
    server = xwindow.XServer()
    folder = game_folder()
    try:
        status, err = play_session(server, game, folder, {"SDL_AUDIODRIVER": "nosuchdriver"},
                                   jump=False)
    finally:
        server.close()
        shutil.rmtree(folder)
    if status != 0 or not NO_SOUND.match(err):
        problems.append(f"game without audio: status {status}, standard error {err!r}")
    assert not problems, "\n".join(problems)


def main(argv):
    game, play = (os.path.abspath(a) for a in argv)
    disk_output(game)
    without_sound(game, play)
    print("ok")


if __name__ == "__main__":
    main(sys.argv[1:])
