#!/usr/bin/python3
"""Hostile images, one table: each case replaces the backdrop or the sprite
sheet (or both) and plays a short session through the real game code.

    hostile_images.py REPLAY_BINARY GAME_BINARY

A case must stop with "Image error: FILE: TEXT" and status 1, before any
output, exactly when SDL_image's IMG_Load fails on one of the files
(background.png first); every image that loads must play the session
normally and quit with status 0. Nothing may crash, hang or make a
sanitizer report (run the sanitizer build's binaries for that). The game
binary itself is run on the cases that fail, which stop before the window
would matter.
"""
import ctypes
import io
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

from PIL import Image

ASSETS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "assets")
CAPTION = b"Frostrun - version 0.1 "
SESSION = "cost 7\n3 Right\n6 Space\n10 Left\n14 -Left mouse close\n20 q\n"
FRAMES = 19  # steps 2 to 20

sdl = ctypes.CDLL("libSDL-1.2.so.0")
sdl_image = ctypes.CDLL("libSDL_image-1.2.so.0")
sdl_image.IMG_Load.restype = ctypes.c_void_p
sdl_image.IMG_Load.argtypes = [ctypes.c_char_p]
sdl.SDL_GetError.restype = ctypes.c_char_p
sdl.SDL_FreeSurface.argtypes = [ctypes.c_void_p]


def img_load(folder, file):
    """IMG_Load's verdict on the file as the game names it (None when it
    loads, else SDL's error text) and what the image libraries wrote to
    standard error meanwhile."""
    here, saved = os.getcwd(), os.dup(2)
    with tempfile.TemporaryFile() as said:
        os.chdir(folder)
        os.dup2(said.fileno(), 2)
        try:
            surface = sdl_image.IMG_Load(file.encode())
            error = None if surface else sdl.SDL_GetError()
            if surface:
                sdl.SDL_FreeSurface(surface)
        finally:
            os.dup2(saved, 2)
            os.close(saved)
            os.chdir(here)
        said.seek(0)
        return error, said.read()


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(width, height, colour_type, depth, raw_rows):
    """A PNG written by hand, for formats PIL does not write (48-bit RGB)."""
    header = struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 0)
    data = b"".join(b"\0" + row for row in raw_rows)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(data)) + chunk(b"IEND", b"")


def encoded(image):
    out = io.BytesIO()
    image.save(out, "PNG")
    return out.getvalue()


def idat_offset(data):
    at = 8
    while data[at + 4:at + 8] != b"IDAT":
        at += 12 + struct.unpack(">I", data[at:at + 4])[0]
    return at


def make_cases():
    backdrop_bytes = open(os.path.join(ASSETS, "background.png"), "rb").read()
    sprites_bytes = open(os.path.join(ASSETS, "sprites.png"), "rb").read()
    backdrop = Image.open(io.BytesIO(backdrop_bytes)).convert("RGB")
    sprites = Image.open(io.BytesIO(sprites_bytes))

    bad_crc = bytearray(sprites_bytes)
    bad_crc[idat_offset(sprites_bytes) + 20] ^= 0xFF
    at = idat_offset(backdrop_bytes)
    length = struct.unpack(">I", backdrop_bytes[at:at + 4])[0]
    garbage = bytes(backdrop_bytes[at + 8:at + 10]) + bytes((i * 37) & 0xFF for i in range(length - 2))
    damaged = backdrop_bytes[:at] + chunk(b"IDAT", garbage) + backdrop_bytes[at + 12 + length:]

    rgb = backdrop.tobytes()
    wide = bytearray(2 * len(rgb))
    wide[0::2], wide[1::2] = rgb, rgb
    rgb48 = png(640, 480, 2, 16, [bytes(wide[y * 3840:(y + 1) * 3840]) for y in range(480)])
    big_sheet = Image.new("P", (1600, 1200), 0)
    big_sheet.putpalette(sprites.getpalette())
    big_sheet.paste(sprites, (0, 0))
    gray16 = sprites.convert("L").convert("I").point(lambda v: v * 257).convert("I;16")

    B, S = "background.png", "sprites.png"
    return [
        ("missing backdrop", {B: None}),
        ("missing sprite sheet", {S: None}),
        ("zero-byte sprite sheet", {S: b""}),
        ("truncated backdrop", {B: backdrop_bytes[:len(backdrop_bytes) // 2]}),
        ("sprite sheet cut inside its header", {S: sprites_bytes[:20]}),
        ("sprite sheet with one byte of its data flipped", {S: bytes(bad_crc)}),
        ("backdrop with garbage image data, checksum fixed", {B: damaged}),
        ("text file named background.png", {B: b"This is not a picture.\n"}),
        ("both bad: the backdrop is named", {B: b"text\n", S: b""}),
        ("1 x 1 backdrop", {B: encoded(Image.new("RGB", (1, 1), (10, 20, 30)))}),
        ("1 x 1 sprite sheet", {S: encoded(Image.new("P", (1, 1), 0))}),
        ("backdrop larger than the screen", {B: encoded(backdrop.resize((1280, 960)))}),
        ("sprite sheet larger than the screen", {S: encoded(big_sheet)}),
        ("RGBA backdrop", {B: encoded(backdrop.convert("RGBA"))}),
        ("RGBA sprite sheet", {S: encoded(sprites.convert("RGBA"))}),
        ("grayscale backdrop", {B: encoded(backdrop.convert("L"))}),
        ("grayscale sprite sheet", {S: encoded(sprites.convert("L"))}),
        ("16 bits per channel backdrop", {B: rgb48}),
        ("16 bits per channel grayscale sprite sheet", {S: encoded(gray16)}),
    ]


def run(command, folder):
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
    return subprocess.run(command, cwd=folder, capture_output=True, timeout=60, env=env)


def check(name, files, replay, game):
    with tempfile.TemporaryDirectory() as folder:
        for image in ("background.png", "sprites.png"):
            shutil.copy(os.path.join(ASSETS, image), folder)
        for file, data in files.items():
            os.remove(os.path.join(folder, file))
            if data is not None:
                open(os.path.join(folder, file), "wb").write(data)
        with open(os.path.join(folder, "session.keys"), "w") as keys:
            keys.write(SESSION)
        failure, library = None, b""
        for file in ("background.png", "sprites.png"):
            error, said = img_load(folder, file)
            library += said
            if error is not None:
                failure = b"Image error: %s: %s\n" % (file.encode(), error)
                break
        problems = []
        runs = [("in-process", run([replay, "session.keys"], folder))]
        if failure is not None:
            runs.append(("game", run([game], folder)))
        for how, result in runs:
            if failure is not None:
                expected = (1, b"", CAPTION + library + failure)
            else:
                expected = (0, b"the colorkey is 0\n" + b"".join(
                    b"\n%d, delay is 10 ms\n" % (0 if n == 0 else 17) for n in range(FRAMES)), CAPTION + library)
            got = (result.returncode, result.stdout, result.stderr)
            for what, want, have in zip(("status", "standard output", "standard error"), expected, got):
                if want != have:
                    problems.append(f"{how}: {what} {have[:300]!r}, expected {want[:300]!r}")
        verdict = "stops: " + failure[:-1].decode() if failure else "loads and plays"
        print(f"{'ok  ' if not problems else 'FAIL'} {name}: {verdict}")
        for problem in problems:
            print("       " + problem)
        return not problems


def main(argv):
    if len(argv) != 2:
        sys.exit(__doc__)
    replay, game = (os.path.abspath(a) for a in argv)
    results = [check(name, files, replay, game) for name, files in make_cases()]
    sys.exit(0 if all(results) else 1)


if __name__ == "__main__":
    main(sys.argv[1:])
