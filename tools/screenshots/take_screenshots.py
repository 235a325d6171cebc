#!/usr/bin/python3
"""Take the README's screenshots of the real game in a real X window.

Usage: take_screenshots.py GAME_BINARY [OUT_DIR]

Runs the game in Xvfb (tools/xwindow.py) from a folder holding its two
images and plays it with real key presses: a small player that looks at
the window and walks under the lowest snowflake. It saves a shot of level
1, finishes the level, starts level 2 with q and saves a shot once the
snowman stands on the field. Needs xvfb, xdotool and python3-pil.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(REPO, "tools"))
import xwindow  # noqa: E402

# The field where objects fall, clear of the score, the columns and the figure.
FIELD = (32, 40, 595, 385)
BANNER = (50, 200, 550, 225)
THIRD_LIFE = (600, 84, 633, 106)


def lowest_snowflake(shot, pictures):
    """Centre x of the lowest whitish object in the field, or None."""
    changed = pictures.changed(shot, FIELD)
    box = changed.getbbox()
    if box is None:
        return None
    field = shot.crop(FIELD).load()
    mask = changed.load()
    for y in range(box[3] - 1, box[1] - 1, -1):
        xs = [x for x in range(box[0], box[2]) if mask[x, y] and min(field[x, y]) > 170]
        if xs:  # snowflakes are white-blue
            return FIELD[0] + sum(xs) / len(xs)
    return None


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    game_binary = os.path.abspath(sys.argv[1])
    default_out = os.path.join(REPO, "docs", "screenshots")
    out_dir = os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else default_out)
    os.makedirs(out_dir, exist_ok=True)
    work = tempfile.mkdtemp(prefix="frostrun-shots-")
    for name in ("background.png", "sprites.png"):
        shutil.copy(os.path.join(xwindow.ASSETS, name), work)
    pictures = xwindow.Pictures()
    server = xwindow.XServer()
    game = None
    try:
        game = subprocess.Popen([game_binary], cwd=work, env=server.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        window = server.window("Frostrun")
        if window is None:
            sys.exit("no game window")
        time.sleep(1.5)
        server.shot(window).save(os.path.join(out_dir, "level1.png"))

        # Play level 1: walk under the lowest snowflake until the intro
        # screen (the banner) shows, then start level 2.
        current = "Up"
        deadline = time.time() + 600
        while time.time() < deadline:
            shot = server.shot(window)
            figure = pictures.figure(shot)
            if pictures.changed(shot, BANNER).getbbox() and figure is None:
                break
            target = lowest_snowflake(shot, pictures)
            key = "Up"
            if target is not None and figure is not None:
                centre = figure[0] + 20
                if target > centre + 12:
                    key = "Right"
                elif target < centre - 2:
                    key = "Left"
            if key != current:
                server.key(window, key)
                current = key
        else:
            sys.exit("level 1 was not finished in time")

        time.sleep(1)
        server.key(window, "q")
        server.key(window, "Up")
        # Level 2: give the snowman time to turn and wind up, then take the
        # shot while the lives column stands (not in a crash's flashes).
        time.sleep(3)
        lives = lambda: pictures.changed(server.shot(window), THIRD_LIFE).getbbox()  # noqa: E731
        if not xwindow.wait_for(lives, 10):
            sys.exit("no calm moment on level 2")
        server.shot(window).save(os.path.join(out_dir, "level2.png"))
        server.key(window, "q")
        game.wait(timeout=10)
    finally:
        if game is not None and game.poll() is None:
            game.kill()
            game.wait()
        server.close()
        shutil.rmtree(work, ignore_errors=True)
    print("screenshots in", out_dir)


if __name__ == "__main__":
    main()
