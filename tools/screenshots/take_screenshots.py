#!/usr/bin/python3
"""Take the README's screenshots of the real game in a real X window.

Usage: take_screenshots.py [--scaled | --paused] GAME_BINARY [OUT_DIR]

Runs the game in Xvfb (tools/xwindow.py) on a 1920 x 1080 screen from a
folder holding its two images and plays it with real key presses: a small
player that looks at the window and walks under the lowest snowflake. It
saves a shot of level 1, finishes the level, starts level 2 with q and
saves a shot once the snowman stands on the field (level1.png,
level2.png; skipped when a life goes first); then it stands still until
the last life goes and the game-over screen shows. A second game does the
same, and its game-over screen, listing both games, is game-over.png;
--scores must list both. Then it plays level 1 for a few seconds with
--scale 2 and with --fullscreen and saves the 1280 x 960 window and the
whole screen (scale2.png, fullscreen.png). With --scaled it takes only
those two; with --paused only the paused game, a few seconds into level 1
(paused.png).
Needs xvfb, xdotool and python3-pil.
"""
import os
import re
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
BANNER_SOURCE = (0, 340, 500, 25)  # on the sheet; shown at (50, 200)
THIRD_LIFE = (600, 84, 633, 106)
GAME_OVER_TITLE = (0, 300, 133, 21)  # on the sheet; shown at (253, 60)
SCREEN = (1920, 1080)
FULL_SCREEN_AT = (320, 60)  # the picture at factor 2, centred on the screen


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


def play(server, window, look, pictures, seconds, done=lambda shot, figure: False):
    """Walk under the lowest snowflake, LOOK giving the game's 640 x 480
    picture, until DONE says so (True) or SECONDS pass (False)."""
    current = "Up"
    deadline = time.time() + seconds
    while time.time() < deadline:
        shot = look()
        figure = pictures.figure(shot)
        if done(shot, figure):
            return True
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
    return False


def scaled_shots(server, start, pictures, out_dir):
    """Level 1 at scale 2 and full screen, a few seconds into play."""
    for option, size, at, name in ((["--scale", "2"], (1280, 960), (0, 0), "scale2.png"),
                                   (["--fullscreen"], SCREEN, FULL_SCREEN_AT, "fullscreen.png")):
        game = start(option)
        window = server.window("Frostrun", size)
        if window is None:
            sys.exit(f"no game window of {size[0]} x {size[1]}")
        picture = (window[0], window[1] + at[0], window[2] + at[1])
        look = lambda: server.shot(picture, factor=2)  # noqa: E731
        play(server, window, look, pictures, 6)
        server.shot(window, size).save(os.path.join(out_dir, name), optimize=True)
        server.key(window, "q")
        game.wait(timeout=10)


def paused_shot(server, start, pictures, out_dir):
    """Level 1 a few seconds into play, paused with p."""
    game = start([])
    window = server.window("Frostrun")
    if window is None:
        sys.exit("no game window")
    play(server, window, lambda: server.shot(window), pictures, 5)
    server.key(window, "p")
    time.sleep(0.5)
    server.shot(window).save(os.path.join(out_dir, "paused.png"), optimize=True)
    server.key(window, "q")
    game.wait(timeout=10)


def main():
    args = [arg for arg in sys.argv[1:] if arg not in ("--scaled", "--paused")]
    if not args:
        sys.exit(__doc__)
    game_binary = os.path.abspath(args[0])
    default_out = os.path.join(REPO, "docs", "screenshots")
    out_dir = os.path.abspath(args[1] if len(args) > 1 else default_out)
    os.makedirs(out_dir, exist_ok=True)
    work = tempfile.mkdtemp(prefix="frostrun-shots-")
    for name in ("background.png", "sprites.png"):
        shutil.copy(os.path.join(xwindow.ASSETS, name), work)
    pictures = xwindow.Pictures()
    server = xwindow.XServer(*SCREEN)
    server.env["XDG_DATA_HOME"] = os.path.join(work, "data")  # a best-scores table of its own
    games = []

    def start(options):
        games.append(subprocess.Popen([game_binary, *options], cwd=work, env=server.env,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        return games[-1]

    try:
        if "--paused" in sys.argv:
            paused_shot(server, start, pictures, out_dir)
            print("screenshot in", out_dir)
            return
        if "--scaled" in sys.argv:
            scaled_shots(server, start, pictures, out_dir)
            print("screenshots in", out_dir)
            return
        for game_number in (1, 2):
            game_to_the_end(server, start, pictures, out_dir, game_number == 2)
        listed = subprocess.run([game_binary, "--scores"], env=server.env, capture_output=True,
                                text=True).stdout
        if len(re.findall(r"^ +[12] ", listed, re.M)) != 2:
            sys.exit(f"--scores does not list both games: {listed}")
        print(listed, end="")
        scaled_shots(server, start, pictures, out_dir)
    finally:
        for game in games:
            if game.poll() is None:
                game.kill()
                game.wait()
        server.close()
        shutil.rmtree(work, ignore_errors=True)
    print("screenshots in", out_dir)


def game_to_the_end(server, start, pictures, out_dir, second):
    """Level 1 played, level 2 begun, then standing still until the game is over."""
    game = start([])
    window = server.window("Frostrun")
    if window is None:
        sys.exit("no game window")
    time.sleep(1.5)
    if not second:
        server.shot(window).save(os.path.join(out_dir, "level1.png"))

    # Play level 1 until the intro screen (the banner) shows, then start level 2.
    def banner(shot, figure):
        return figure is None and pictures.match(shot, BANNER_SOURCE, 50, 200) > 0.99

    if not play(server, window, lambda: server.shot(window), pictures, 600, banner):
        sys.exit("level 1 was not finished in time")

    time.sleep(1)
    server.key(window, "q")
    server.key(window, "Up")
    # Level 2: give the snowman time to turn and wind up, then take the
    # shot while the lives column stands (not in a crash's flashes).
    time.sleep(3)
    lives = lambda: pictures.changed(server.shot(window), THIRD_LIFE).getbbox()  # noqa: E731
    if not second and xwindow.wait_for(lives, 10):
        server.shot(window).save(os.path.join(out_dir, "level2.png"))
    elif not second:
        print("a life went before a calm moment on level 2: level2.png not taken")
    over = lambda: pictures.match(server.shot(window), GAME_OVER_TITLE, 253, 60) == 1  # noqa
    if not xwindow.wait_for(over, 180):
        sys.exit("no game-over screen")
    time.sleep(0.5)
    if second:
        server.shot(window).save(os.path.join(out_dir, "game-over.png"))
    server.key(window, "q")
    game.wait(timeout=10)


if __name__ == "__main__":
    main()
