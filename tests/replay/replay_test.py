#!/usr/bin/python3
"""Replays the scripted sessions of golden/ through the real game code and
compares the checksum of every presented picture (NAME.frames) and the
standard output (NAME.stdout) with the golden files.

    replay_test.py REPLAY_BINARY [NAME...]            compare
    replay_test.py --update REPLAY_BINARY [NAME...]   rewrite the golden files

On a difference it names the first picture that differs and writes that
picture as replay-NAME-flip-N.png in the working directory.
"""
import os
import shutil
import subprocess
import sys
import tempfile

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
ASSETS = os.path.join(HERE, "..", "..", "assets")
GOLDEN = os.path.join(HERE, "golden")


def play(binary, keys, folder, *options):
    run = subprocess.run([binary, keys, "--trace", os.path.join(folder, "trace"), *options],
                         cwd=folder, capture_output=True, timeout=300,
                         env=dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy"))
    if run.returncode != 0:
        sys.exit(f"replay failed with status {run.returncode}: {run.stderr.decode(errors='replace')}")
    with open(os.path.join(folder, "trace")) as trace:
        return run.stdout, trace.read().splitlines()


def check(binary, name, update):
    keys = os.path.join(GOLDEN, name + ".keys")
    with tempfile.TemporaryDirectory() as folder:
        for image in ("background.png", "sprites.png"):
            shutil.copy(os.path.join(ASSETS, image), folder)
        stdout, frames = play(binary, keys, folder)
        golden_out, golden_frames = (os.path.join(GOLDEN, name + suffix) for suffix in (".stdout", ".frames"))
        if update:
            with open(golden_out, "wb") as out:
                out.write(stdout)
            with open(golden_frames, "w") as out:
                out.write("\n".join(frames) + "\n")
            print(f"{name}: wrote {len(frames) - 1} pictures and {len(stdout)} bytes of output")
            return True
        with open(golden_frames) as f:
            expected = f.read().splitlines()
        with open(golden_out, "rb") as f:
            expected_out = f.read()
        ok = True
        for flip, (got, want) in enumerate(zip(frames + [""], expected + [""]), start=1):
            if got != want:
                png = os.path.abspath(f"replay-{name}-flip-{flip}.png")
                bmp = os.path.join(folder, "frame.bmp")
                play(binary, keys, folder, "--dump", str(flip), bmp)
                if os.path.exists(bmp):
                    Image.open(bmp).save(png)
                print(f"{name}: picture {flip} differs: got '{got}', expected '{want}'"
                      f" (line: step and checksum); the picture shown is {png}")
                ok = False
                break
        if stdout != expected_out:
            got, want = stdout.split(b"\n"), expected_out.split(b"\n")
            line = next(i for i, pair in enumerate(zip(got + [None], want + [None])) if pair[0] != pair[1])
            print(f"{name}: standard output differs at line {line + 1}: "
                  f"got {got[line] if line < len(got) else 'its end'!r}, "
                  f"expected {want[line] if line < len(want) else 'its end'!r}")
            ok = False
        if ok:
            print(f"{name}: {len(frames) - 1} pictures and the standard output as recorded")
        return ok


def main(argv):
    update = "--update" in argv
    argv = [a for a in argv if a != "--update"]
    if not argv:
        sys.exit(__doc__)
    binary = os.path.abspath(argv[0])
    names = argv[1:] or sorted(f[:-5] for f in os.listdir(GOLDEN) if f.endswith(".keys"))
    results = [check(binary, name, update) for name in names]
    sys.exit(0 if all(results) else 1)


if __name__ == "__main__":
    main(sys.argv[1:])
