#!/usr/bin/python3
"""Take the README's screenshots of the real game in a real X window.

Usage: take_screenshots.py GAME_BINARY [OUT_DIR]

Starts Xvfb, runs the game there from a folder holding its two images and
plays it with real key presses (xdotool): a small player that looks at the
window and walks under the lowest snowflake. It saves a shot of level 1,
finishes the level, starts level 2 with q and saves a shot once the snowman
stands on the field. Needs xvfb, xdotool, imagemagick and python3-pil.
"""

import io
import os
import shutil
import subprocess
import sys
import tempfile
import time

from PIL import Image, ImageChops

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
ASSETS = os.path.join(REPO, "assets")
DISPLAY = ":87"

# Where sprites that are not falling objects stand: keep them out of the hunt.
FIELD_TOP, FIELD_BOTTOM = 40, 385
FIELD_LEFT, FIELD_RIGHT = 32, 595
FIGURE_TOP, FIGURE_BOTTOM = 392, 474


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, timeout=20,
                          env=dict(os.environ, DISPLAY=DISPLAY)).stdout


def wait_for_x_server():
    for _ in range(100):
        if subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True,
                          env=dict(os.environ, DISPLAY=DISPLAY)).returncode == 0:
            return
        time.sleep(0.1)
    sys.exit("Xvfb did not start")


def window_id(game):
    for _ in range(100):
        if game.poll() is not None:
            sys.exit("the game ended before its window appeared")
        found = subprocess.run(["xdotool", "search", "--name", "Frostrun"],
                               capture_output=True, text=True,
                               env=dict(os.environ, DISPLAY=DISPLAY))
        if found.stdout.strip():
            return found.stdout.split()[0]
        time.sleep(0.1)
    sys.exit("no game window")


def grab(wid):
    return Image.open(io.BytesIO(run("import", "-window", wid, "png:-"))).convert("RGB")


def changed_columns(shot, backdrop, box, threshold=40):
    """Where in `box` the window differs from the backdrop: the mask and
    its bounding box."""
    diff = ImageChops.difference(shot.crop(box), backdrop.crop(box)).convert("L")
    diff = diff.point(lambda v: 255 if v > threshold else 0)
    bbox = diff.getbbox()
    return diff, bbox


def figure_centre(shot, backdrop):
    _, bbox = changed_columns(shot, backdrop, (0, FIGURE_TOP, 640, FIGURE_BOTTOM))
    return None if bbox is None else (bbox[0] + bbox[2]) / 2


def lowest_snowflake(shot, backdrop):
    """Centre x of the lowest whitish object in the field, or None."""
    box = (FIELD_LEFT, FIELD_TOP, FIELD_RIGHT, FIELD_BOTTOM)
    diff, bbox = changed_columns(shot, backdrop, box)
    if bbox is None:
        return None
    pixels = shot.crop(box).load()
    mask = diff.load()
    for y in range(bbox[3] - 1, bbox[1] - 1, -1):
        xs = [x for x in range(bbox[0], bbox[2])
              if mask[x, y] and min(pixels[x, y]) > 170]   # snowflakes are white-blue
        if xs:
            return FIELD_LEFT + sum(xs) / len(xs)
    return None


def lives_shown(shot, backdrop):
    """True when all three life icons stand at the right edge."""
    box = (600, 84, 633, 106)
    return ImageChops.difference(shot.crop(box), backdrop.crop(box)).getbbox() is not None


def steer(wid, key):
    run("xdotool", "windowfocus", "--sync", wid)
    run("xdotool", "key", key)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    game_binary = os.path.abspath(sys.argv[1])
    out_dir = os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else os.path.join(REPO, "docs", "screenshots"))
    os.makedirs(out_dir, exist_ok=True)
    work = tempfile.mkdtemp(prefix="frostrun-shots-")
    for name in ("background.png", "sprites.png"):
        shutil.copy(os.path.join(ASSETS, name), work)
    backdrop = Image.open(os.path.join(ASSETS, "background.png")).convert("RGB")

    xvfb = subprocess.Popen(["Xvfb", DISPLAY, "-screen", "0", "640x480x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    game = None
    try:
        wait_for_x_server()
        game = subprocess.Popen([game_binary], cwd=work, stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL,
                                env=dict(os.environ, DISPLAY=DISPLAY, SDL_AUDIODRIVER="dummy"))
        wid = window_id(game)
        time.sleep(1.5)
        grab(wid).save(os.path.join(out_dir, "level1.png"))

        # Play level 1: walk under the lowest snowflake until the intro
        # screen (the banner) shows, then start level 2.
        current = "Up"
        deadline = time.time() + 600
        while time.time() < deadline:
            shot = grab(wid)
            banner = ImageChops.difference(shot.crop((50, 200, 550, 225)),
                                           backdrop.crop((50, 200, 550, 225))).getbbox()
            figure = figure_centre(shot, backdrop)
            if banner and figure is None:
                break
            target = lowest_snowflake(shot, backdrop)
            key = "Up"
            if target is not None and figure is not None:
                if target > figure + 12:
                    key = "Right"
                elif target < figure - 2:
                    key = "Left"
            if key != current:
                steer(wid, key)
                current = key
        else:
            sys.exit("level 1 was not finished in time")

        time.sleep(1)
        steer(wid, "q")
        steer(wid, "Up")
        # Level 2: give the snowman time to turn and wind up, then take the
        # shot while the lives column stands (not in a crash's flashes).
        time.sleep(3)
        for _ in range(100):
            shot = grab(wid)
            if lives_shown(shot, backdrop):
                shot.save(os.path.join(out_dir, "level2.png"))
                break
            time.sleep(0.1)
        else:
            sys.exit("no calm moment on level 2")
        steer(wid, "q")
        game.wait(timeout=10)
    finally:
        if game is not None and game.poll() is None:
            game.kill()
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)
    print("screenshots in", out_dir)


if __name__ == "__main__":
    main()
