#!/usr/bin/python3
"""The game in a real X server, played with real key presses.

    real_window.py GAME_BINARY

Starts Xvfb on a free display, runs the game from a folder holding the two
images, finds its window, presses right, left, a key outside the direction
table, up, space, shift and q with xdotool, and checks in screenshots what a
player sees: the caption, the backdrop, the figure where the keys moved it,
the score digits and the three life icons; then the standard output, the
standard error and exit status 0. Xvfb and the game are stopped whatever
happens.
"""
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

from PIL import Image, ImageGrab, features

ASSETS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "assets")
CAPTION = "Frostrun - version 0.1 "
SIZE = ("808", "606")  # an odd screen size: proves it is our server that answers


def q565(rgb):
    """What a colour looks like after the game's 16-bit screen."""
    return (rgb[0] & 0xF8, rgb[1] & 0xFC, rgb[2] & 0xF8)


class Pictures:
    """The expected pictures: the backdrop and sprites over it."""

    def __init__(self):
        backdrop = Image.open(os.path.join(ASSETS, "background.png")).convert("RGB")
        self.backdrop = backdrop.load()
        sheet = Image.open(os.path.join(ASSETS, "sprites.png"))
        assert sheet.mode == "P", "the sprite sheet is a palette image, index 0 transparent"
        self.index = sheet.load()
        palette = sheet.getpalette()
        self.colour = [q565(palette[3 * i:3 * i + 3]) for i in range(len(palette) // 3)]
        # Where each walking cell's drawing starts, measured as figure()
        # measures the screen: its first well-drawn column.
        self.cells = [(299, 5 + 65 * i) for i in range(3)] + [(260, 5 + 65 * i) for i in range(3)]
        self.offsets = []
        for cx, cy in self.cells:
            drawn = lambda x, y: self.index[cx + x, cy + y] != 0
            self.offsets.append(next(x for x in range(40) if sum(drawn(x, y) for y in range(5, 43, 2)) >= 3))

    def is_backdrop(self, shot, x, y):
        return shot[x, y] == q565(self.backdrop[x, y])

    def match(self, shot, source, x, y, step=1):
        """Share of the area at (x, y) that shows `source` over the backdrop."""
        sx, sy, w, h = source
        same = total = 0
        for j in range(0, h, step):
            for i in range(0, w, step):
                if not (0 <= x + i < 640 and 0 <= y + j < 480):
                    continue
                k = self.index[sx + i, sy + j]
                want = self.colour[k] if k else q565(self.backdrop[x + i, y + j])
                same += shot[x + i, y + j] == want
                total += 1
        return same / max(total, 1)

    def figure(self, shot):
        """(x, y, cell) of the figure on the ground band, or None."""
        counts = [sum(not self.is_backdrop(shot, x, y) for y in range(415, 453, 2)) for x in range(640)]
        blobs, start = [], None
        for x, count in enumerate(counts + [0]):
            if count >= 3 and start is None:
                start = x
            elif count < 3 and start is not None:
                blobs.append((start, x - 1))
                start = None
        rough = []  # (share of a sparse sample, place), for every place that fits a blob
        for c0, _ in blobs:
            for cell, ((cx, cy), left) in enumerate(zip(self.cells, self.offsets)):
                for x in range(c0 - left - 4, c0 - left + 5):
                    for y in range(390, 411):
                        if x % 2 == 0:
                            rough.append((self.match(shot, (cx, cy, 40, 65), x, y, 4), (x, y, cell)))
        best = (0, None)
        for _, (x, y, cell) in sorted(rough, reverse=True)[:6]:
            cx, cy = self.cells[cell]
            best = max(best, (self.match(shot, (cx, cy, 40, 65), x, y), (x, y, cell)))
        return best[1] if best[0] >= 0.9 else None

    def score(self, shot):
        """The three score digits as a string, '?' for a cell that shows no
        digit (a falling object may pass over it: it is drawn later)."""
        rows = [0, 12, 22, 33, 44]
        text = ""
        for x in (540, 550, 560):
            found = [d for d in range(10) if self.match(shot, (10 * (d % 2), rows[d // 2], 10, 10), x, 14) == 1]
            text += str(found[0]) if len(found) == 1 else "?"
        return text

    def lives(self, shot):
        return sum(self.match(shot, (300, 5, 33, 22), 600, y) >= 0.9 for y in (30, 57, 84, 111))


class Session:
    def __init__(self, game, folder):
        self.xvfb = self.game = None
        try:
            self.start(game, folder)
        except BaseException:
            self.close()
            raise

    def start(self, game, folder):
        for _ in range(20):
            number = random.randint(200, 30000)
            if os.path.exists(f"/tmp/.X{number}-lock") or os.path.exists(f"/tmp/.X11-unix/X{number}"):
                continue
            # libX11's input method leaks a few bytes of its own, which a
            # sanitizer build would report at exit.
            asan = os.environ.get("ASAN_OPTIONS", "") + ":detect_leaks=0"
            self.env = dict(os.environ, DISPLAY=f":{number}", SDL_AUDIODRIVER="dummy", ASAN_OPTIONS=asan)
            self.env.pop("SDL_VIDEODRIVER", None)
            # -noreset: a server resets when its last client leaves, and SDL's
            # first look at the display is such a client.
            self.xvfb = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "x".join(SIZE) + "x24",
                                          "-nolisten", "tcp", "-noreset"], stderr=subprocess.DEVNULL)
            if self.wait_for(lambda: self.xdotool("getdisplaygeometry").split() == list(SIZE), 10):
                break
            self.stop(self.xvfb)
            self.xvfb = None
        assert self.xvfb, "no X server could be started"
        self.out = open(os.path.join(folder, "stdout"), "w+b")
        self.err = open(os.path.join(folder, "stderr"), "w+b")
        self.game = subprocess.Popen([game], cwd=folder, env=self.env, stdout=self.out, stderr=self.err)
        if not self.wait_for(lambda: self.xdotool("search", "--name", "^Frostrun"), 20):
            self.err.seek(0)
            raise AssertionError(f"no window; standard error: {self.err.read()[:500]!r}")
        self.window = self.xdotool("search", "--name", "^Frostrun").split()[0]
        geometry = self.xdotool("getwindowgeometry", self.window)
        self.at = tuple(int(v) for v in re.search(r"Position: (\d+),(\d+)", geometry).groups())
        self.xdotool("windowfocus", "--sync", self.window)

    def xdotool(self, *args):
        if self.game is not None and self.game.poll() is not None and args[0] == "key":
            raise AssertionError(f"the game ended early, status {self.game.returncode}")
        run = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True, timeout=20)
        return run.stdout if run.returncode == 0 else ""

    @staticmethod
    def wait_for(condition, seconds):
        end = time.time() + seconds
        while time.time() < end:
            if condition():
                return True
            time.sleep(0.05)
        return False

    def shot(self):
        """The window's picture, as pixel access."""
        if features.check("xcb"):
            screen = ImageGrab.grab(xdisplay=self.env["DISPLAY"])
        else:
            png = subprocess.run(["import", "-window", "root", "png:-"], env=self.env,
                                 capture_output=True, timeout=20).stdout
            screen = Image.open(__import__("io").BytesIO(png))
        x, y = self.at
        return screen.convert("RGB").crop((x, y, x + 640, y + 480)).load()

    @staticmethod
    def stop(process):
        if process is not None and process.poll() is None:
            process.kill()
            process.wait()

    def close(self):
        self.stop(self.game)
        if self.xvfb is not None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.stop(self.xvfb)


def play(session, pictures):
    def figure(what):
        """Where the figure is. A single screenshot may show it cut: in the
        frame in which a burst ends beside it, the burst's last erase wipes
        what the figure drew earlier in that frame; so look again."""
        for _ in range(5):
            shot = session.shot()
            found = pictures.figure(shot)
            if found:
                break
        if not found:
            picture = Image.new("RGB", (640, 480))
            picture.putdata([shot[x, y] for y in range(480) for x in range(640)])
            picture.save("real-window-failure.png")
            raise AssertionError(f"no figure on the ground band ({what}); the screen is in "
                                 f"{os.path.abspath('real-window-failure.png')}")
        return found

    def key(name, settle=0.3):
        session.xdotool("key", name)
        time.sleep(settle)

    def height():
        found = pictures.figure(session.shot())
        return found[1] if found else None

    def read_score():
        """The score from the first screenshot within 3 s that shows three digits."""
        end = time.time() + 3
        while time.time() < end:
            text = pictures.score(session.shot())
            if "?" not in text:
                return text
        raise AssertionError(f"score digits: {text}")

    def three_lives():
        """Icons show what lies under their transparent parts: a falling
        object passing behind one may spoil a screenshot, not three."""
        return session.wait_for(lambda: pictures.lives(session.shot()) == 3, 3)

    def jumps():
        """True when a jump shows within two seconds and lands again."""
        seen = session.wait_for(lambda: (height() or 410) < 410, 2)
        return seen and session.wait_for(lambda: height() == 410, 3)

    assert session.xdotool("getwindowname", session.window) == CAPTION + "\n", "caption"
    assert session.wait_for(lambda: pictures.figure(session.shot()), 10), "no figure shown"
    shot = session.shot()
    backdrop = sum(pictures.is_backdrop(shot, x, y) for y in range(0, 480, 4) for x in range(0, 640, 4))
    assert backdrop / (160 * 120) > 0.85, f"the backdrop shows on {backdrop / 192:.0f}% of the screen"
    assert pictures.figure(shot) == (300, 410, 0), f"figure at start: {pictures.figure(shot)}"
    first_score = read_score()
    assert three_lives(), "not three life icons"
    print(f"start: caption, backdrop, figure standing at 300, 410, score {first_score}, three lives")

    key("Right")
    x1, y1, cell1 = figure("walking right")
    time.sleep(0.25)
    x2, y2, cell2 = figure("walking right")
    assert 300 < x1 < x2 and y1 == y2 == 410 and cell1 < 3 and cell2 < 3, ("right", x1, x2, cell1, cell2)
    key("Left")
    x3, _, cell3 = figure("walking left")
    time.sleep(0.25)
    x4, _, cell4 = figure("walking left")
    assert x4 < x3 and cell3 >= 3 and cell4 >= 3, ("left", x3, x4, cell3, cell4)
    key("Down")
    x5, _, cell5 = figure("after the down arrow")
    assert x5 < x4 and cell5 >= 3, ("a key outside the table keeps the walk", x4, x5)
    print(f"right arrow: walks right, {x1} then {x2}; left arrow: turns and walks left, {x3} then {x4};"
          f" down arrow: walks on, {x5}")
    key("Up", 0.2)
    x6, _, cell6 = figure("standing")
    time.sleep(0.25)
    x7, _, cell7 = figure("standing")
    assert x6 == x7 and cell6 < 3 and cell7 < 3, ("up stands, facing right", x6, x7, cell6, cell7)
    key("space", 0)
    assert jumps(), "space: no jump seen"
    assert figure("after the jump")[0] == x7, "the jump moved the figure sideways"
    key("Shift_L", 0)
    assert jumps(), "shift after space: the last code (jump) should come again"
    print(f"up arrow: stands at {x7}; space: jumps and lands; shift: jumps again (the last code)")
    last_score = read_score()
    assert int(last_score) >= int(first_score), f"score {first_score}, then {last_score}"
    assert three_lives(), "not three life icons at the end"
    key("q", 0)
    try:
        status = session.game.wait(timeout=10)
    except subprocess.TimeoutExpired:
        raise AssertionError("q did not end the game")
    assert status == 0, f"exit status {status}"

    session.out.seek(0)
    session.err.seek(0)
    out, err = session.out.read().decode(), session.err.read().decode()
    assert err == CAPTION, f"standard error: {err!r}"
    assert out.startswith("the colorkey is 0\n"), f"standard output begins {out[:40]!r}"
    lines = out[len("the colorkey is 0\n"):]
    frames = re.findall(r"\n(\d+), delay is (\d+) ms\n", lines)
    assert "".join(f"\n{ms}, delay is {d} ms\n" for ms, d in frames) == lines, "a line out of form"
    assert all((d == "10") == (int(ms) < 20) for ms, d in frames), "a delay against the 20 ms rule"
    assert len(frames) > 100, f"only {len(frames)} frames"
    print(f"q: status 0 after {len(frames)} frames, score {last_score}; one colour key line, then one"
          " diagnostic line per frame")


def main(argv):
    if len(argv) != 1:
        sys.exit(__doc__)
    for tool in ("Xvfb", "xdotool"):
        if shutil.which(tool) is None:
            sys.exit(f"{tool} is missing: tools/install-deps.sh --tests installs it")
    pictures = Pictures()
    with tempfile.TemporaryDirectory() as folder:
        for image in ("background.png", "sprites.png"):
            shutil.copy(os.path.join(ASSETS, image), folder)
        session = None
        try:
            session = Session(os.path.abspath(argv[0]), folder)
            play(session, pictures)
        except AssertionError as failure:
            sys.exit(f"FAILED: {failure}")
        finally:
            if session is not None:
                session.close()


if __name__ == "__main__":
    main(sys.argv[1:])
