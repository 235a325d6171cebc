#!/usr/bin/python3
"""Whole games through frostrun_play (tests/replay/play.cpp); what each
way proves: docs/testing.md.

    runs.py replay PLAY NAME [--page-flipping]   golden/NAME.keys as recorded
    runs.py demo GAME NAME                       golden/NAME.demo as the game plays it
    runs.py same PLAY KEYS OPTION...             KEYS with OPTIONS as played plainly
    runs.py pause PLAY KEYS                      KEYS with pauses inserted as played plainly
    runs.py images PLAY GAME GROUP               damaged, colours or shapes images
    runs.py soak PLAY FRAMES [FIRST_SEED]        random play, invariants checked
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
ASSETS = os.path.normpath(os.path.join(HERE, "..", "..", "assets"))
GOLDEN = os.path.join(HERE, "golden")
IMAGES = ("background.png", "sprites.png")
CAPTION = b"Frostrun - version 0.1 "
IDENTITY_STEPS = 1200  # level 1 done, level 2 with its opponent beaten


class Failed(Exception):
    """A test that cannot compare: a file it needs is unreadable or empty."""


def read(path):
    """The bytes of a file a test compares with; never empty."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as error:
        raise Failed(f"{path}: cannot read it: {error.strerror}")
    if not data:
        raise Failed(f"{path}: empty")
    return data


def run(command, folder, timeout=300):
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy",
               XDG_DATA_HOME=os.path.join(folder, "data"))  # never a player's scores
    return subprocess.run(command, cwd=folder, capture_output=True, timeout=timeout, env=env)


def game_folder(files=None):
    """A temporary folder with the game's images and sounds, some images replaced
    (None: removed)."""
    folder = tempfile.TemporaryDirectory()
    shutil.copytree(os.path.join(ASSETS, "sounds"), os.path.join(folder.name, "sounds"))
    files = {**{image: read(os.path.join(ASSETS, image)) for image in IMAGES}, **(files or {})}
    for name, data in files.items():
        if data is not None:
            with open(os.path.join(folder.name, name), "wb") as out:
                out.write(data)
    return folder


def lines(output):
    return output.decode(errors="replace").split("\n")


def traced(result, trace):
    """RESULT with a trace's lines: .trace ("STEP HASH" a picture, then "end
    STEP"), .pictures (the "STEP HASH" lines) and .blits (its "blits N")."""
    result.trace = [line for line in trace if line and not line.startswith("blits ")]
    result.pictures = [line for line in result.trace if line[:1].isdigit()]
    result.blits = int(([line.split()[1] for line in trace if line.startswith("blits ")]
                        or [0])[0])
    return result


def steps(result):
    return [line.split()[0] for line in result.pictures]


def play(binary, folder, keys, *options):
    """A finished session, traced."""
    trace = os.path.join(folder, "trace")
    if os.path.exists(trace):
        os.remove(trace)
    result = run([binary, keys, "--trace", trace, *options], folder)
    return traced(result, open(trace).read().split("\n") if os.path.exists(trace) else [])


def golden(name):
    """The recorded run of the session NAME."""
    return traced(subprocess.CompletedProcess([], 0, read(os.path.join(GOLDEN, name + ".stdout"))),
                  lines(read(os.path.join(GOLDEN, name + ".frames"))))


def said(result):
    """A failed run's status and standard error, for a message."""
    return f"status {result.returncode}: {result.stderr.decode(errors='replace').strip()}"


def first_difference(got, want):
    return next(i for i, pair in enumerate(zip(got + [None], want + [None])) if pair[0] != pair[1])


def differ(what, got, want):
    """Where two lists of lines first differ, with both lines, or None."""
    if got == want:
        return None
    i = first_difference(got, want)
    shown = [(lines + ["its end"])[i] for lines in (got, want)]
    return f"{what} line {i + 1}: {shown[0]!r}, expected {shown[1]!r}"


def write_picture(binary, folder, keys, n, name, *options):
    """Writes picture N of a session as the PNG NAME; answers its path."""
    bmp = os.path.join(folder, "picture.bmp")
    play(binary, folder, keys, "--dump", str(n), bmp, *options)
    if not os.path.exists(bmp):
        return "(not written)"
    Image.open(bmp).save(name)
    os.remove(bmp)
    return os.path.abspath(name)


def compare(got, want, dump):
    """The problems of a run's pictures and output against those expected:
    as many pictures, each at its step with its hash, the same standard
    output. The first picture that differs is written by dump(N)."""
    if not want.pictures:
        return ["nothing to compare with: no picture expected"]
    problems = [differ("standard output", lines(got.stdout), lines(want.stdout))]
    if len(got.pictures) != len(want.pictures):
        problems.append(f"{len(got.pictures)} pictures, expected {len(want.pictures)}")
    where = differ("trace", got.trace, want.trace)
    n = first_difference(got.trace, want.trace) + 1 if where else 0
    if 0 < n <= max(len(got.pictures), len(want.pictures)):
        where = f"picture {n} differs ({where}); written as {', '.join(dump(n))}"
    problems.append(where)
    return [problem for problem in problems if problem]


def replay(binary, name, options):
    keys = os.path.join(GOLDEN, name + ".keys")
    want = golden(name)
    with game_folder() as folder:
        got = play(binary, folder, keys, *options)
        if got.returncode != 0:
            return [said(got)]
        # The golden keeps hashes only: the picture played is written.
        return compare(got, want, lambda n: [write_picture(
            binary, folder, keys, n, f"replay-{name}-picture-{n}.png", *options)])


def demo(game, name):
    """The game binary plays golden/NAME.demo unpaced: the golden's pictures
    (its steps count the start-up, the demo's frames do not), and one line
    of report with as many frames."""
    frames = lines(read(os.path.join(GOLDEN, name + ".frames")))
    want = traced(subprocess.CompletedProcess([], 0), frames)
    with game_folder() as folder:
        sums = os.path.join(folder, "sums")
        got = run([game, "--timedemo", os.path.join(GOLDEN, name + ".demo"), "--frame-sums", sums],
                  folder)
        if got.returncode != 0:
            return [said(got)]
        pictures = [f"{int(line.split()[0]) + 1} {line.split()[1]}" for line in lines(read(sums))
                    if line]
        frames = int(want.trace[-1].split()[1]) - 1
        report = lines(got.stdout)
        problems = [differ("pictures", pictures, want.pictures)]
        if not (report[0].startswith(f"{frames} frames, ") and report[1:] == [""]):
            problems.append(f"report {got.stdout!r}, expected {frames} frames")
        return [problem for problem in problems if problem]


def same(binary, keys, options):
    label = "-".join(option.strip("-") for option in options)
    with game_folder() as folder:
        plain = play(binary, folder, keys)
        got = play(binary, folder, keys, *options)
        failed = [f"{how}: {said(result)}" for how, result in (("plain", plain), (label, got))
                  if result.returncode != 0]
        return failed or compare(got, plain, lambda n: [
            write_picture(binary, folder, keys, n, f"{label}-picture-{n}-expected.png"),
            write_picture(binary, folder, keys, n, f"{label}-picture-{n}.png", *options)])


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
    for line in read(keys).decode().splitlines():
        words = line.split("#")[0].split()
        if words and words[0].isdigit():
            events.append((shifted(int(words[0])), " ".join(words[1:])))
        elif not words or words[0] != "limit":
            script.append(line)
    script += [f"{step} {e}" for step, e in sorted(events)]
    with game_folder() as folder:
        plain = play(binary, folder, keys)
        with open(os.path.join(folder, "paused.keys"), "w") as out:
            out.write("\n".join(script))
        got = play(binary, folder, os.path.join(folder, "paused.keys"))
    failed = [said(result) for result in (plain, got) if result.returncode != 0]
    if failed or not got.pictures:
        return failed or ["no picture"]
    back = {str(shifted(step)): str(step) for step in range(1, 100000)}
    begins = {str(shifted(at)) for at, _, _ in PAUSES}
    pictures = [line.split() for line in got.pictures] + [[None]]
    # A paused step's pictures and the last of a step that begins a pause
    # are paused pictures; the others are the plain session's, step by step.
    paused = [step not in back or step in begins and after[0] != step
              for (step, _), after in zip(pictures, pictures[1:])]
    plays = [f"{back[step]} {hash}" for (step, hash), is_paused in zip(pictures, paused)
             if not is_paused] + [f"end {back[got.trace[-1].split()[1]]}"]
    problems = [differ("play picture", plays, plain.trace)]
    shown = {hash for (_, hash), is_paused in zip(pictures, paused) if is_paused}
    if len(shown) != len(PAUSES):
        problems.append(f"{len(shown)} paused pictures, expected {len(PAUSES)}")
    out, plain_out = lines(got.stdout), lines(plain.stdout)
    # The frame after a pause took its time, and so the next one none.
    if len(out) != len(plain_out) or sum(a != b for a, b in zip(out, plain_out)) > 2 * len(PAUSES):
        problems.append(differ("standard output", out, plain_out) or "more lines than")
    return [problem for problem in problems if problem]


def chunk(kind, data):
    """A PNG chunk: length, kind, data, CRC."""
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


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
    backdrop_bytes, sheet_bytes = (read(os.path.join(ASSETS, f)) for f in IMAGES)
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


def ends_as(how, result, status, stdout, stderr):
    """The problems of a run against the status and outputs it must give."""
    problems = [differ(f"{how}: {what}", lines(got), lines(want)) for what, got, want in
                (("standard output", result.stdout, stdout),
                 ("standard error", result.stderr, stderr))]
    if result.returncode != status:
        problems.append(f"{how}: status {result.returncode}, expected {status}")
    return problems


def images(binary, game, group):
    long_keys = os.path.join(GOLDEN, "long.keys")
    start = ("--steps", str(IDENTITY_STEPS))
    # The long session's output and the steps of its pictures up to there.
    long = golden("long")
    golden_out = b"".join(long.stdout.splitlines(True)[:IDENTITY_STEPS * 2 - 1])
    golden_steps = [step for step in steps(long) if int(step) <= IDENTITY_STEPS]
    if not golden_steps:
        raise Failed(f"long.frames: no picture up to step {IDENTITY_STEPS}")
    failures = 0
    for name, files in cases(group):
        problems = []
        with game_folder(files) as folder:
            printed = b""
            verdict = None
            for image in IMAGES:
                error, text = img_load(folder, image)
                printed += text
                if error is not None:
                    verdict = b"Image error: %s: %s\n" % (image.encode(), error)
                    break
            if verdict is not None:
                for how, result in (("driver", play(binary, folder, long_keys)),
                                    ("game", run([game], folder, 60))):
                    problems += ends_as(how, result, 1, b"", CAPTION + printed + verdict)
            else:
                runs = {how: play(binary, folder, long_keys, *start, *options)
                        for how, options in (("game", ()), ("plain", ("--plain",)))}
                for how, result in runs.items():
                    problems += ends_as(how, result, 0, golden_out, CAPTION + printed)
                    problems.append(differ(f"{how}: steps of the pictures", steps(result),
                                           golden_steps))
                slug = "".join(c if c.isalnum() else "-" for c in name)
                problems += compare(runs["game"], runs["plain"], lambda n: [write_picture(
                    binary, folder, long_keys, n, f"images-{slug}-{n}-{how}.png", *start, *options)
                    for how, options in (("plain", ("--plain",)), ("game", ()))])
                if runs["plain"].blits < 1000:  # its start shows many more
                    problems.append(f"the plain run blitted {runs['plain'].blits} particles")
        problems = [problem for problem in problems if problem]
        outcome = "stops: " + verdict[:-1].decode() if verdict else "plays, the same pictures"
        print(f"{'FAIL' if problems else 'ok  '} {name}: {outcome}")
        for problem in problems:
            print("       " + problem)
        failures += bool(problems)
    return failures


def soak(binary, frames, seed):
    total = games = 0
    with game_folder() as folder:
        while total < frames:
            command = [binary, "--random", str(seed + games), str(frames - total)]
            result = run(command, folder, 3600)
            report = result.stderr.decode(errors="replace")
            if result.returncode != 0 or "Sanitizer" in report or "runtime error" in report:
                print(report)
                return f"soak: FAILED in game {games + 1}: {' '.join(command)}"
            # "soak: seed S frames F level L lives N ended by q|close|last life"
            total += int(report[report.index("soak: seed"):].split()[4])
            games += 1
    print(f"soak: {total} frames in {games} games: no invariant broken, no sanitizer report")


def main(argv):
    what, binary, rest = argv[0], os.path.abspath(argv[1]), argv[2:]
    try:
        if what == "images":
            sys.exit(1 if images(binary, os.path.abspath(rest[0]), rest[1]) else 0)
        if what == "soak":
            sys.exit(soak(binary, int(rest[0]), int(rest[1]) if len(rest) > 1 else 1))
        if what == "pause":
            label, problems = "pause", pause(binary, os.path.abspath(rest[0]))
        elif what == "same":
            label, problems = " ".join(rest[1:]), same(binary, os.path.abspath(rest[0]), rest[1:])
        elif what == "demo":
            label, problems = rest[0], demo(binary, rest[0])
        else:
            label, problems = rest[0], replay(binary, rest[0], rest[1:])
    except Failed as failure:
        sys.exit(f"FAIL: {failure}")
    for problem in problems:
        print(f"{label}: {problem}")
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    if len(sys.argv) < 4 or sys.argv[1] not in ("replay", "demo", "same", "pause", "images",
                                                 "soak"):
        sys.exit(__doc__)
    main(sys.argv[1:])
