#!/usr/bin/python3
"""The sound as it leaves the game, and the game without sound.

    sound_e2e.py GAME_BINARY PLAY_DRIVER

The game binary in Xvfb on SDL's disk audio driver, a jump then q: the
output holds the music from its first sample and, added to it, the jump's
samples as the generator made them (within 16 steps or 2%: sdl12-compat's
SDL2 device takes 44100 Hz stereo and converts); with --mute only zeros.
Without an audio device, without the sounds folder and with a damaged
music file, the walk replay shows its golden pictures and output, status 0,
and standard error holds the game's one line "frostrun: no sound: ...".
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
sys.path[:0] = [os.path.join(HERE, "..", "..", "tools", folder) for folder in ("", "sounds")]
import xwindow  # noqa: E402
from plot_disk_output import samples  # noqa: E402

SOUNDS = os.path.join(HERE, "..", "..", "assets", "sounds")
GOLDEN = os.path.join(HERE, "..", "replay", "golden")
NO_SOUND = re.compile(rb"^Frostrun - version 0\.1 \nfrostrun: no sound: [^\n]+\n$")


def game_folder():
    folder = tempfile.mkdtemp(prefix="frostrun-sound-")
    for image in ("background.png", "sprites.png"):
        shutil.copy(os.path.join(SOUNDS, "..", image), folder)
    shutil.copytree(SOUNDS, os.path.join(folder, "sounds"))
    return folder


def near(heard, sound, at, length):
    """Whether HEARD from AT holds SOUND's first LENGTH samples, within 16
    steps or 2% (sdl12-compat's resampling to 44100 Hz and back)."""
    part = heard[at:at + length]
    return len(part) == length and all(abs(a - b) <= max(16, abs(b) // 50)
                                       for a, b in zip(part, sound))


def find(heard, sound, around, length):
    """Where SOUND starts in HEARD, within 64 samples of AROUND, or -1."""
    return next((at for at in range(max(0, around - 64), around + 64)
                 if near(heard, sound, at, length)), -1)


def as_mono_22050(heard, music):
    """The output as the mixer made it: one channel of two equal ones, and
    every other sample of a 44100 Hz stream, whichever holds the music."""
    if heard[0::2] == heard[1::2]:
        heard = heard[0::2]
    for form in (heard, heard[0::2], heard[1::2]):
        loud = next((i for i, v in enumerate(form) if abs(v) > 64), 0)
        if find(form, music, loud - 10, 2048) >= 0:
            return form
    return heard


def disk_session(server, game, *options):
    """The disk driver's output of a session: a jump, then q."""
    folder = game_folder()
    out = os.path.join(folder, "out.raw")
    # libX11 leaks a few bytes of its own, which a sanitizer build would report.
    env = dict(server.env, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=out, SDL_DISKAUDIODELAY="10",
               XDG_DATA_HOME=os.path.join(folder, "data"),  # never a player's scores
               ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":detect_leaks=0")
    game_run = subprocess.Popen([game, *options], cwd=folder, env=env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE)
    window = server.window("Frostrun")
    for key, wait in (("space", 0.2), ("q", 0.8)):
        time.sleep(wait)
        server.key(window, key)
    err = game_run.communicate(timeout=30)[1]
    heard = samples(out)
    shutil.rmtree(folder)
    # The disk driver prints a warning of its own.
    assert game_run.returncode == 0 and b"no sound" not in err, err
    return heard


def disk_output(game):
    music, jump = (samples(os.path.join(SOUNDS, name), 44) for name in ("music.wav", "jump.wav"))
    server = xwindow.XServer()
    try:
        heard, muted = disk_session(server, game), disk_session(server, game, "--mute")
    finally:
        server.close()
    heard = as_mono_22050(heard, music)
    start = find(heard, music, next(i for i, v in enumerate(heard) if abs(v) > 64) - 10, 2048)
    assert start >= 0, "the music is not in the output"
    rest = array.array("h", (v - music[(i - start) % len(music)] if i >= start else v
                             for i, v in enumerate(heard)))
    loud = next((i for i in range(start, len(rest)) if abs(rest[i]) > 64), 0)
    at = find(rest, jump, loud - 10, len(jump))
    assert at >= start, "no whole jump over the music"
    assert len(muted) > len(music) // 4 and not any(muted), "--mute is not silent"
    print(f"disk output: music from sample {start}, the jump {(at - start) / 22050:.2f} s in;"
          f" muted: {len(muted)} samples of silence")


def without_sound(play):
    keys, frames, stdout = (os.path.join(GOLDEN, "walk" + end)
                            for end in (".keys", ".frames", ".stdout"))
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
        same = open(trace).read() == open(frames).read() and run.stdout == open(stdout, "rb").read()
        shutil.rmtree(folder)
        if run.returncode != 0 or not same or not NO_SOUND.match(run.stderr):
            problems.append(f"{case}: status {run.returncode}, same pictures and output {same},"
                            f" standard error {run.stderr!r}")
        print(f"{case}: {run.stderr.decode().splitlines()[-1]}")
    assert not problems, "\n".join(problems)


if __name__ == "__main__":
    disk_output(os.path.abspath(sys.argv[1]))
    without_sound(os.path.abspath(sys.argv[2]))
    print("ok")
