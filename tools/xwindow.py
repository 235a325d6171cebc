"""The game in a real X server: Xvfb, the game's window, key presses with
xdotool, screenshots of the window, and where the figure stands in one.
Shared by tests/e2e/real_window.py and tools/screenshots/take_screenshots.py.

Pictures are compared as the game decides them: a pixel's 16-bit value,
the top bits of each channel (red 5, green 6, blue 5) after the display
widens them, never the low bits, which SDL 1.2 libraries fill differently.
Positions are relative to the window, wherever the library puts it.
"""
import io
import os
import random
import re
import subprocess
import time

from PIL import Image, ImageChops, ImageGrab, features

ASSETS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "assets")
TOP_BITS = [v & 0xF8 for v in range(256)] + [v & 0xFC for v in range(256)] + \
    [v & 0xF8 for v in range(256)]
WALKING_CELLS = [(299, 5 + 65 * i) for i in range(3)] + [(260, 5 + 65 * i) for i in range(3)]
CELL_SIZE = (40, 65)
GROUND_Y = 410
HIGHEST_Y = 390  # the top of a jump


def sixteen_bit(image):
    """An RGB picture reduced to what a 16-bit pixel holds."""
    return image.convert("RGB").point(TOP_BITS)


def unscaled(picture, factor):
    """PICTURE shrunk by FACTOR, one pixel of each FACTOR x FACTOR block; an
    AssertionError unless each block is one 16-bit colour (sharp scaling)."""
    if factor == 1:
        return picture
    small = picture.resize((picture.width // factor, picture.height // factor), Image.NEAREST)
    blocks = small.resize(picture.size, Image.NEAREST)
    if ImageChops.difference(sixteen_bit(blocks), sixteen_bit(picture)).getbbox():
        raise AssertionError(f"the picture is not each pixel repeated {factor} x {factor}")
    return small


def wait_for(condition, seconds):
    end = time.time() + seconds
    while time.time() < end:
        if condition():
            return True
        time.sleep(0.05)
    return False


class XServer:
    """Xvfb on a free display, WIDTH x HEIGHT x 24; stopped on close()."""

    def __init__(self, width=640, height=480):
        for _ in range(20):
            number = random.randint(200, 30000)
            if os.path.exists(f"/tmp/.X{number}-lock"):
                continue
            self.env = dict(os.environ, DISPLAY=f":{number}", SDL_AUDIODRIVER="dummy")
            self.env.pop("SDL_VIDEODRIVER", None)
            # -noreset: SDL's first look at the display is a client of its own,
            # and a server that resets when it leaves drops the game's connection.
            self.xvfb = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0",
                                          f"{width}x{height}x24", "-nolisten", "tcp", "-noreset"],
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            size = [str(width), str(height)]
            if wait_for(lambda: self.xdotool("getdisplaygeometry").split() == size, 10):
                return
            self.close()
        raise AssertionError("no X server could be started")

    def xdotool(self, *args):
        run = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True,
                             timeout=20)
        return run.stdout if run.returncode == 0 else ""

    def window(self, name, size=(640, 480), seconds=20):
        """The first window called NAME... of SIZE: (id, x, y), or None."""
        found = []

        def look():
            for wid in self.xdotool("search", "--name", "^" + name).split():
                geometry = self.xdotool("getwindowgeometry", wid)
                at = re.search(r"Position: (-?\d+),(-?\d+)", geometry)
                wh = re.search(r"Geometry: (\d+)x(\d+)", geometry)
                if at and wh and tuple(map(int, wh.groups())) == size:
                    found.append((wid, *map(int, at.groups())))
                    return True
            return False

        return found[0] if wait_for(look, seconds) else None

    def key(self, window, name):
        self.xdotool("windowfocus", "--sync", window[0])
        self.xdotool("key", name)

    def shot(self, window, size=(640, 480), factor=1):
        """The window's area of the screen, as RGB; with FACTOR, an area SIZE
        times FACTOR shrunk back (unscaled)."""
        if features.check("xcb"):
            screen = ImageGrab.grab(xdisplay=self.env["DISPLAY"])
        else:
            png = subprocess.run(["import", "-window", "root", "png:-"], env=self.env,
                                 capture_output=True, timeout=20).stdout
            screen = Image.open(io.BytesIO(png))
        _, x, y = window
        area = screen.crop((x, y, x + size[0] * factor, y + size[1] * factor))
        return unscaled(area.convert("RGB"), factor)

    def close(self):
        if self.xvfb.poll() is None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()


class Pictures:
    """The game's images as its 16-bit screen shows them."""

    def __init__(self):
        self.backdrop = sixteen_bit(Image.open(os.path.join(ASSETS, "background.png")))
        sheet = Image.open(os.path.join(ASSETS, "sprites.png"))
        indices = Image.frombytes("L", sheet.size, sheet.tobytes())  # index 0 is transparent
        self.mask = indices.point(lambda index: 255 if index else 0)
        self.sheet = sixteen_bit(sheet)
        self.corners = [self.mask.crop((cx, cy, cx + 40, cy + 65)).getbbox()[:2]
                        for cx, cy in WALKING_CELLS]

    def over_backdrop(self, source, x, y):
        """What the screen shows at (x, y) with SOURCE (x, y, w, h) of the
        sheet drawn there over the backdrop."""
        sx, sy, w, h = source
        picture = self.backdrop.crop((x, y, x + w, y + h))
        box = (sx, sy, sx + w, sy + h)
        picture.paste(self.sheet.crop(box), (0, 0), self.mask.crop(box))
        return picture

    def changed(self, shot, box):
        """Where in BOX the screenshot differs from the backdrop."""
        diff = ImageChops.difference(sixteen_bit(shot.crop(box)), self.backdrop.crop(box))
        return diff.convert("L").point(lambda v: 255 if v else 0)

    def match(self, shot, source, x, y):
        """Share of the area at (x, y) that shows SOURCE over the backdrop."""
        w, h = source[2:]
        left, top = max(x, 0), max(y, 0)
        box = (left, top, min(x + w, 640), min(y + h, 480))
        want = self.over_backdrop(source, x, y).crop((left - x, top - y, box[2] - x, box[3] - y))
        diff = ImageChops.difference(sixteen_bit(shot.crop(box)), want).convert("L")
        same = diff.histogram()[0]
        return same / max(1, (box[2] - box[0]) * (box[3] - box[1]))

    def figure(self, shot):
        """(x, y, cell) of the figure in a screenshot, or None: cells 0..2
        face right, 3..5 left. Each run of changed columns across the
        figure's waist is a candidate; the cell's drawn top-left corner
        gives its place."""
        band = self.changed(shot, (0, HIGHEST_Y, 640, 480))
        waist = band.crop((0, 415 - HIGHEST_Y, 640, 453 - HIGHEST_Y))
        changed = [bool(waist.crop((x, 0, x + 1, waist.height)).getbbox()) for x in range(640)]
        starts = [x for x in range(640) if changed[x] and (x == 0 or not changed[x - 1])]
        best = (0.9, None)  # at least 90 % of the cell's area must match
        for start in starts:
            top = band.crop((start, 0, start + 30, band.height)).getbbox()[1] + HIGHEST_Y
            for cell, (cx, cy) in enumerate(WALKING_CELLS):
                left, top_offset = self.corners[cell]
                for x in range(start - left - 2, start - left + 3):
                    for y in range(top - top_offset - 1, top - top_offset + 2):
                        share = self.match(shot, (cx, cy) + CELL_SIZE, x, y)
                        if HIGHEST_Y <= y <= GROUND_Y and share > best[0]:
                            best = (share, (x, y, cell))
        return best[1]
