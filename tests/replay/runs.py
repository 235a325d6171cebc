#!/usr/bin/python3
"""Whole games through frostrun_play (tests/replay/play.cpp), three ways:

    runs.py replay PLAY NAME [--page-flipping]
        the session golden/NAME.keys presents the pictures of NAME.frames
        and writes NAME.stdout, byte for byte
    runs.py same PLAY KEYS OPTION...
        the session KEYS played with OPTIONS (a scaled window, full screen)
        presents the pictures and writes the output of KEYS played plainly
    runs.py pause PLAY KEYS
        the session KEYS with pauses inserted (by p, by the window losing
        the focus or being shown as an icon; keys dropped, F11 and m taken
        while paused; resumed by p or the pad's Start) presents the same
        play pictures, with the paused picture between them, and writes the
        same lines but the times of the two frames after each pause
    runs.py images PLAY GAME GROUP
        images of GROUP (damaged, colours, shapes) in place of the game's
        own: when SDL_image cannot load one, PLAY and GAME stop with "Image
        error" and status 1; else the game plays the long session's start
        with them, with and without its speed-ups: the same pictures
    runs.py soak PLAY FRAMES [FIRST_SEED]
        FRAMES frames of random play, a game per seed, invariants checked

Runs happen in a temporary folder holding the images.
"""
import ctypes
import io
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
ASSETS = os.path.join(HERE, "..", "..", "assets")
GOLDEN = os.path.join(HERE, "golden")
IMAGES = ("background.png", "sprites.png")
CAPTION = b"Frostrun - version 0.1 "
IDENTITY_STEPS = 1200  # level 1 done, level 2 with its opponent beaten


def run(command, folder, timeout=300):
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
    return subprocess.run(command, cwd=folder, capture_output=True, timeout=timeout, env=env)


def game_folder(files=None):
    """A temporary folder with the game's images, some replaced (None: removed)."""
    folder = tempfile.TemporaryDirectory()
    for image in IMAGES:
        shutil.copy(os.path.join(ASSETS, image), folder.name)
    for name, data in (files or {}).items():
        os.remove(os.path.join(folder.name, name))
        if data is not None:
            with open(os.path.join(folder.name, name), "wb") as out:
                out.write(data)
    return folder


def play(binary, folder, keys, *options):
    """Status, standard output, standard error and trace lines of a session."""
    trace = os.path.join(folder, "trace")
    result = run([binary, keys, "--trace", trace, *options], folder)
    lines = open(trace).read().splitlines() if os.path.exists(trace) else []
    return result, lines


def first_difference(got, want):
    return next(i for i, pair in enumerate(zip(got + [None], want + [None])) if pair[0] != pair[1])


def replay(binary, name, options):
    keys = os.path.join(GOLDEN, name + ".keys")
    golden_frames, golden_out = (os.path.join(GOLDEN, name + s) for s in (".frames", ".stdout"))
    with game_folder() as folder:
        result, frames = play(binary, folder, keys, *options)
        if result.returncode != 0:
            return [f"status {result.returncode}: {result.stderr.decode(errors='replace')}"]
        problems = []
        want = open(golden_frames).read().splitlines()
        if frames != want:
            flip = first_difference(frames, want) + 1
            bmp = os.path.join(folder, "picture.bmp")
            play(binary, folder, keys, "--dump", str(flip), bmp, *options)
            png = os.path.abspath(f"replay-{name}-flip-{flip}.png")
            if os.path.exists(bmp):
                Image.open(bmp).save(png)
            line = (frames + ["its end"])[flip - 1]
            problems.append(f"picture {flip} differs: '{line}', expected '{want[flip - 1]}'"
                            f" (step and hash); it is in {png}")
        got = result.stdout.split(b"\n")
        want = open(golden_out, "rb").read().split(b"\n")
        if got != want:
            line = first_difference(got, want)
            problems.append(f"standard output line {line + 1}: {(got + [b'its end'])[line]!r},"
                            f" expected {(want + [b'its end'])[line]!r}")
        return problems


def chunk(kind, data):
    """A PNG chunk: length, kind, data, CRC."""
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def same(binary, keys, options):
    with game_folder() as folder:
        plain, want = play(binary, folder, keys)
        result, got = play(binary, folder, keys, *options)
    if result.returncode != plain.returncode:
        return [f"status {result.returncode}: {result.stderr.decode(errors='replace')}"]
    problems = []
    if got != want:
        problems.append(f"picture {first_difference(got, want) + 1} differs")
    if result.stdout != plain.stdout:
        problems.append("standard output differs")
    return problems


# (frame after which the pause begins, what pauses, the events of each
# paused step: the last resumes), and events in one drain that do not pause.
PAUSES = [(40, "p", ["Left", "F11 m Space", "a", "button7"]),
          (300, "blur", ["focus", "Right", "p"]), (600, "iconify", ["restore p"])]
NO_PAUSE = [(100, "blur focus"), (110, "mouse-out"), (120, "iconify restore")]


def shifted(step):
    """Where a step of a session lands once PAUSES are inserted into it."""
    return step + sum(len(paused) for at, _, paused in PAUSES if at < step)


def pause(binary, keys):
    # A key outside the table after each pause repeats the direction from
    # before it: those dropped while paused left no trace.
    events = [(shifted(at), e) for at, e in NO_PAUSE] + [
        (shifted(at) + k, e) for at, cause, paused in PAUSES
        for k, e in enumerate([cause] + paused + ["Down"])]
    script = []
    for line in open(keys).read().splitlines():
        words = line.split("#")[0].split()
        if words and words[0].isdigit():
            events.append((shifted(int(words[0])), " ".join(words[1:])))
        elif not words or words[0] != "limit":
            script.append(line)
    script += [f"{step} {e}" for step, e in sorted(events)]
    with game_folder() as folder:
        plain, want = play(binary, folder, keys)
        with open(os.path.join(folder, "paused.keys"), "w") as out:
            out.write("\n".join(script))
        result, got = play(binary, folder, os.path.join(folder, "paused.keys"))
    back = {str(shifted(step)): str(step) for step in range(1, 100000)}
    begins = {str(shifted(at)) for at, _, _ in PAUSES}
    lines = [line.split() for line in got] + [[None]]
    # A paused step's pictures and the last of a step that begins a pause
    # are paused pictures; the others are the plain session's, step by step.
    shown = [(f"{back[step]} {hash}", step in begins and after[0] != step)
             for (step, hash), after in zip(lines, lines[1:]) if step in back]
    paused = {hash for (step, hash), after in zip(lines, lines[1:])
              if step not in back and step != "end" or step in begins and after[0] != step}
    plays = [picture for picture, is_paused in shown if not is_paused]
    plays.append(f"end {back[lines[-2][1]]}")
    problems = [] if plays == want else [f"play picture {first_difference(plays, want) + 1}"]
    if result.returncode != plain.returncode or len(paused) != len(PAUSES):
        problems.append(f"status {result.returncode}, {len(paused)} paused pictures")
    out, plain_out = result.stdout.split(b"\n"), plain.stdout.split(b"\n")
    # The frame after a pause took its time, and so the next one none.
    if len(out) != len(plain_out) or sum(a != b for a, b in zip(out, plain_out)) > 2 * len(PAUSES):
        problems.append("standard output differs")
    return problems


def png(image, **options):
    out = io.BytesIO()
    image.save(out, "PNG", **options)
    return out.getvalue()


def rgb48(image):
    """A 48-bit RGB PNG (PIL writes none): each 8-bit sample widened."""
    rows = image.convert("RGB").tobytes()
    wide = bytes(b for v in rows for b in (v, v ^ 0x5A))
    stride = image.width * 6  # three 16-bit samples a pixel
    data = b"".join(b"\0" + wide[y * stride:(y + 1) * stride] for y in range(image.height))
    header = struct.pack(">IIBBBBB", image.width, image.height, 16, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(data))
            + chunk(b"IEND", b""))


def idat(data):
    """Offset and length of the first IDAT chunk."""
    at = 8  # past the PNG signature; a chunk is 12 bytes more than its data
    while data[at + 4:at + 8] != b"IDAT":
        at += 12 + struct.unpack(">I", data[at:at + 4])[0]
    return at, struct.unpack(">I", data[at:at + 4])[0]


def cases(group):
    """(name, {file: bytes or None}) for each case of the group."""
    backdrop_bytes, sheet_bytes = (open(os.path.join(ASSETS, f), "rb").read() for f in IMAGES)
    sheet = Image.open(io.BytesIO(sheet_bytes))
    B, S = IMAGES
    if group == "damaged":
        flipped = bytearray(sheet_bytes)
        flipped[idat(sheet_bytes)[0] + 20] ^= 0xFF  # 12 bytes into the compressed data
        at, length = idat(backdrop_bytes)
        # The data's 2-byte zlib header kept, the rest garbage.
        garbage = backdrop_bytes[at + 8:at + 10] + bytes(i * 37 & 0xFF for i in range(length - 2))
        damaged = backdrop_bytes[:at] + chunk(b"IDAT", garbage) + backdrop_bytes[at + 12 + length:]
        return [("missing backdrop", {B: None}), ("missing sprite sheet", {S: None}),
                ("zero-byte sprite sheet", {S: b""}),
                ("truncated backdrop", {B: backdrop_bytes[:len(backdrop_bytes) // 2]}),
                ("sprite sheet cut inside its header", {S: sheet_bytes[:20]}),
                ("sprite sheet with a byte of its data flipped", {S: bytes(flipped)}),
                ("backdrop of garbage data, checksum right", {B: damaged}),
                ("text named background.png", {B: b"This is not a picture.\n"}),
                ("both bad: the backdrop is named", {B: b"text\n", S: b""})]
    # Noise: every colour differs, so any difference in how one is reduced
    # to the screen's 16 bits shows. Sheets: the game's drawing in every
    # form, its pixel (0, 0) (every particle) drawn, transparent or blending.
    noise = random.Random(7)
    rgb = Image.frombytes("RGB", (640, 480), noise.randbytes(640 * 480 * 3))
    alpha = Image.frombytes("L", (640, 480), noise.randbytes(640 * 480))
    rgba = rgb.copy()
    rgba.putalpha(alpha)
    art = sheet.convert("RGB")
    art_rgba = art.copy()
    art_rgba.putalpha(alpha.resize(art.size))
    origin_0 = sheet.copy()
    origin_0.putpixel((0, 0), 0)
    big = Image.new("P", (1600, 1200), 0)
    big.putpalette(sheet.getpalette())
    big.paste(sheet, (0, 0))
    gray16 = [i.convert("L").convert("I").point(lambda v: v * 257).convert("I;16")
              for i in (rgb, art)]
    both = {
        "colours": [
            ("RGB", png(rgb), png(art)), ("RGBA", png(rgba), png(art_rgba)),
            ("grayscale", png(rgb.convert("L")), png(art.convert("L"))),
            ("16 bits per channel", rgb48(rgb), rgb48(art)),
            ("16-bit grayscale", png(gray16[0]), png(gray16[1])),
            ("palette; sheet's pixel (0, 0) transparent", png(rgb.quantize(256)), png(origin_0)),
            ("palette, index 0 in tRNS", png(rgb.quantize(256), transparency=0),
             png(sheet, transparency=0))],
        "shapes": [
            ("the game's own", backdrop_bytes, sheet_bytes),
            ("1 x 1", png(rgb.crop((0, 0, 1, 1))), png(sheet.crop((0, 0, 1, 1)))),
            ("1 x 1 sheet, transparent", backdrop_bytes, png(origin_0.crop((0, 0, 1, 1)))),
            ("larger than the screen", png(rgb.resize((1280, 960))), png(big)),
            ("RGB sheet, pixel (0, 0) black", backdrop_bytes, png(origin_0.convert("RGB")))]}
    return [(name, {B: backdrop, S: sheet}) for name, backdrop, sheet in both[group]]


def img_load(folder, name):
    """SDL_image's verdict on a file (None when it loads, else its error)
    and what the image libraries printed on standard error meanwhile."""
    sdl = ctypes.CDLL("libSDL-1.2.so.0")
    sdl_image = ctypes.CDLL("libSDL_image-1.2.so.0")
    sdl_image.IMG_Load.restype = ctypes.c_void_p
    sdl.SDL_GetError.restype = ctypes.c_char_p
    sdl.SDL_FreeSurface.argtypes = [ctypes.c_void_p]
    here = os.getcwd()
    saved = os.dup(2)
    with tempfile.TemporaryFile() as said:
        os.chdir(folder)
        os.dup2(said.fileno(), 2)
        try:
            surface = sdl_image.IMG_Load(name.encode())
            error = None if surface else sdl.SDL_GetError()
            sdl.SDL_FreeSurface(surface)
        finally:
            os.dup2(saved, 2)
            os.close(saved)
            os.chdir(here)
        said.seek(0)
        return error, said.read()


def images(binary, game, group):
    long_keys = os.path.join(GOLDEN, "long.keys")
    long_out = open(os.path.join(GOLDEN, "long.stdout"), "rb").read()
    failures = 0
    for name, files in cases(group):
        problems = []
        with game_folder(files) as folder:
            said = b""
            verdict = None
            for image in IMAGES:
                error, printed = img_load(folder, image)
                said += printed
                if error is not None:
                    verdict = b"Image error: %s: %s\n" % (image.encode(), error)
                    break
            runs = {}
            if verdict is not None:
                runs["driver"] = play(binary, folder, long_keys)[0]
                runs["game"] = run([game], folder, 60)
                want = {"status": 1, "standard output": b"", "standard error":
                        CAPTION + said + verdict}
            else:
                for how, options in (("game", ()), ("plain", ("--plain",))):
                    runs[how], frames = play(binary, folder, long_keys, "--steps",
                                             str(IDENTITY_STEPS), *options)
                    runs[how].frames = frames
                lines = IDENTITY_STEPS * 2 - 1  # the colour key's, then two per frame
                want = {"status": 0, "standard output": b"".join(
                    long_out.splitlines(True)[:lines]), "standard error": CAPTION + said}
                plain = runs["plain"].frames
                if runs["game"].frames != plain[:-1]:
                    problems.append(f"picture {first_difference(runs['game'].frames, plain) + 1}"
                                    " differs from the one without the speed-ups")
                if int(plain[-1].split()[1]) < 1000:  # its start shows many more
                    problems.append(f"the plain run blitted only {plain[-1]} particles")
            for how, result in runs.items():
                got = {"status": result.returncode, "standard output": result.stdout,
                       "standard error": result.stderr}
                problems += [f"{how}: {what} {got[what][:300]!r}, expected {value[:300]!r}"
                             for what, value in want.items() if got[what] != value]
        outcome = "stops: " + verdict[:-1].decode() if verdict else "plays, the same pictures"
        print(f"{'FAIL' if problems else 'ok  '} {name}: {outcome}")
        for problem in problems:
            print("       " + problem)
        failures += bool(problems)
    return failures


def soak(binary, frames, seed):
    total = games = quits = closes = levels = 0
    with game_folder() as folder:
        while total < frames:
            command = [binary, "--random", str(seed), str(frames - total)]
            result = run(command, folder, 3600)
            report = result.stderr.decode(errors="replace")
            if result.returncode != 0 or "Sanitizer" in report or "runtime error" in report:
                print(report)
                return f"soak: FAILED in game {games + 1}: {' '.join(command)}"
            # "soak: seed S frames F level L lives N ended by q|close|last life"
            words = report[report.index("soak: seed"):].split()
            total += int(words[4])
            games += 1
            seed += 1
            levels = max(levels, int(words[6]))
            quits += words[-1].endswith("q")
            closes += words[-1] == "close"
    print(f"soak: {total} frames in {games} games ({quits} ended by q, {closes} by a close"
          f" request, the rest by the last life; highest level {levels}): no invariant broken,"
          " no sanitizer report")


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    what = argv[0]
    binary = os.path.abspath(argv[1])
    if what == "replay":
        problems = replay(binary, argv[2], argv[3:])
        for problem in problems:
            print(f"{argv[2]}: {problem}")
        sys.exit(1 if problems else 0)
    if what == "same":
        problems = same(binary, os.path.abspath(argv[2]), argv[3:])
        for problem in problems:
            print(f"{' '.join(argv[3:])}: {problem}")
        sys.exit(1 if problems else 0)
    if what == "pause":
        problems = pause(binary, os.path.abspath(argv[2]))
        for problem in problems:
            print(f"pause: {problem}")
        sys.exit(1 if problems else 0)
    if what == "images":
        sys.exit(1 if images(binary, os.path.abspath(argv[2]), argv[3]) else 0)
    if what == "soak":
        sys.exit(soak(binary, int(argv[2]), int(argv[3]) if len(argv) > 3 else 1))
    sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
