#!/usr/bin/python3
"""The game in a real X server, played with real key presses.

    real_window.py GAME_BINARY

Runs the game in Xvfb (tools/xwindow.py) from a folder holding its two
images and sounds, presses right, left, space and q, and checks in screenshots what
a player sees: the caption, the backdrop, the figure where the keys moved
it; then standard output, standard error and status 0. Then the same
start, Right and q with --scale 2 and --fullscreen, sharp at 2x. Last p
pauses (the paused picture, standing still) and p resumes, F11 goes full
screen and back with the figure walking on, and the window manager's
close request ends the game with status 0; --scores lists the four games.
The games in the plain window are recorded (--record) and played back with
--play in the window and with --timedemo headless: the same pictures
(--frame-sums); a game played back enters no table.
"""
import ctypes
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import xwindow  # noqa: E402

CAPTION = "Frostrun - version 0.1 "
SCREEN = (1920, 1080)  # not Xvfb's default: proves it is our server that answers
PAUSE_SIGN = (0, 216, 200, 48)  # shown at (220, 216)


class Player:
    """Looks at the window through screenshots. A single one may show a
    frame that is right but incomplete to the eye (a burst's last erase cuts
    the figure's legs), so each look tries a few."""

    def __init__(self, server, window, pictures, factor):
        self.server, self.window, self.pictures, self.factor = server, window, pictures, factor

    def look(self):
        """The game's 640 x 480 picture, each pixel checked repeated FACTOR x FACTOR."""
        return self.server.shot(self.window, factor=self.factor)

    def figure(self, what):
        for _ in range(5):
            shot = self.look()
            found = self.pictures.figure(shot)
            if found:
                return found
        shot.save("real-window-failure.png")
        raise AssertionError(f"no figure ({what}); the window is in"
                             f" {os.path.abspath('real-window-failure.png')}")

    def jumps(self):
        def height():
            found = self.pictures.figure(self.look())
            return found[1] if found else None
        seen = xwindow.wait_for(lambda: (height() or xwindow.GROUND_Y) < xwindow.GROUND_Y, 2)
        return seen and xwindow.wait_for(lambda: height() == xwindow.GROUND_Y, 3)

    def key(self, name, settle=0.3):
        self.server.key(self.window, name)
        time.sleep(settle)


def start(server, pictures, options):
    """A Player for the window OPTIONS ask for (full screen: the picture centred on black),
    once the caption, border, backdrop and the figure at its start are right."""
    factor = 2 if options else 1  # the largest whole factor that fits 1920 x 1080
    size = SCREEN if "--fullscreen" in options else (640 * factor, 480 * factor)
    window = server.window("Frostrun", size)
    assert window, f"no window of {size[0]} x {size[1]}"
    assert server.xdotool("getwindowname", window[0]) == CAPTION + "\n", "caption"
    at = ((size[0] - 640 * factor) // 2, (size[1] - 480 * factor) // 2)
    p = Player(server, (window[0], window[1] + at[0], window[2] + at[1]), pictures, factor)
    assert xwindow.wait_for(lambda: pictures.figure(p.look()), 10), "no figure shown"
    border = server.shot(window, size)
    border.paste(0, (*at, at[0] + 640 * factor, at[1] + 480 * factor))
    assert not xwindow.sixteen_bit(border).getbbox(), "the border is not black"
    backdrop = pictures.changed(p.look(), (0, 0, 640, 480)).histogram()[0]
    assert backdrop > 0.85 * 640 * 480, f"the backdrop shows on {backdrop / 3072:.0f}% of it"
    assert p.figure("at the start") == (300, 410, 0), "not standing at 300, 410 facing right"
    return p


def end_with_q(p, game):
    """q ends the game with status 0."""
    p.key("q", 0)
    try:
        status = game.wait(timeout=10)
    except subprocess.TimeoutExpired:
        raise AssertionError("q did not end the game")
    assert status == 0, f"exit status {status}"


def play(server, game, pictures, options):
    """The picture follows the keys: Right walks (in the plain window both
    feet, then Left turns back and space jumps on the spot); q ends it."""
    p = start(server, pictures, options)
    p.key("Right", 0.5)
    x1, y1, cell1 = p.figure("walking right")
    assert x1 > 300 and y1 == 410 and cell1 < 3, ("Right", x1, y1, cell1)
    if not options:
        p.key("Left", 0.5)
        x2, _, cell2 = p.figure("walking left")
        assert x2 < x1 and cell2 >= 3, ("Left", x1, x2, cell2)
        p.key("space", 0)
        assert p.jumps(), "space: no jump seen"
    end_with_q(p, game)


def close_request(display, window):
    """What a window manager sends when the window's close button is pressed:
    a WM_PROTOCOLS client message naming WM_DELETE_WINDOW (libX11 by ctypes)."""
    class ClientMessage(ctypes.Structure):  # an XEvent of this kind, padded to its size
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                    ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                    ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]
    x = ctypes.CDLL("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    connection = ctypes.c_void_p(x.XOpenDisplay(display.encode()))
    assert connection, "cannot open the display"
    atom = lambda name: x.XInternAtom(connection, name, 0)  # noqa: E731
    event = ClientMessage(33, 0, 0, None, int(window), atom(b"WM_PROTOCOLS"), 32,
                          (ctypes.c_long * 5)(atom(b"WM_DELETE_WINDOW")))
    x.XSendEvent(connection, ctypes.c_ulong(int(window)), 0, 0, ctypes.byref(event))
    x.XCloseDisplay(connection)  # flushes


def walks(p, what):
    """The figure is walking: two looks a quarter of a second apart differ."""
    x1 = p.figure(what)[0]
    time.sleep(0.25)
    x2 = p.figure(what)[0]
    assert x1 != x2, (what, x1, x2)


def play_controls(server, game, pictures, options):
    """p pauses and resumes, F11 to full screen and back, the close button."""
    p = start(server, pictures, options)
    p.key("Right")
    walks(p, "walking right")
    p.key("p", 0.5)
    paused = p.look()
    assert pictures.figure(paused) is None, "the figure still shows undimmed"
    assert pictures.match(paused, PAUSE_SIGN, 220, 216) == 1, "no PAUSED sign"
    time.sleep(0.3)
    assert paused.tobytes() == p.look().tobytes(), "the paused picture moves"
    p.key("Left", 0.2)  # dropped while paused
    p.key("p")
    walks(p, "after the pause")
    assert p.figure("after the pause")[2] < 3, "a key pressed while paused turned the figure"
    p.key("Up")
    # Full screen on the 1920 x 1080 screen: the picture at 2x, centred.
    p.key("F11", 1)
    at = ((SCREEN[0] - 1280) // 2, (SCREEN[1] - 960) // 2)
    full = Player(server, (p.window[0], *at), pictures, 2)
    full.key("Left")
    walks(full, "full screen")
    full.key("Up")
    full.key("F11", 1)
    window = server.window("Frostrun")
    assert window, "F11 again: no 640 x 480 window"
    p = Player(server, window, pictures, 1)
    p.key("Right")
    walks(p, "back in the window")
    close_request(server.env["DISPLAY"], window[0])
    try:
        status = game.wait(timeout=10)
    except subprocess.TimeoutExpired:
        raise AssertionError("the close request did not end the game")
    assert status == 0, f"exit status {status}"


def check_output(out, err, least):
    assert err == CAPTION, f"standard error: {err!r}"
    assert out.startswith("the colorkey is 0\n"), f"standard output begins {out[:40]!r}"
    lines = out[len("the colorkey is 0\n"):]
    frames = re.findall(r"\n(\d+), delay is (\d+) ms\n", lines)
    assert "".join(f"\n{ms}, delay is {d} ms\n" for ms, d in frames) == lines, "a line out of form"
    assert all((d == "10") == (int(ms) < 20) for ms, d in frames), "a delay against the 20 ms rule"
    assert len(frames) > least, f"only {len(frames)} frames"


def plays_back(game, folder, env):
    """The recorded game shows the very pictures of its recording when
    played back in the window and headless, without pacing."""
    with open(os.path.join(folder, "recorded.sums")) as sums:
        recorded = sums.read()
    for option, more in ("--play", {}), ("--timedemo", {"SDL_VIDEODRIVER": "dummy"}):
        played = subprocess.run([game, option, "game.demo", "--frame-sums", "played.sums"],
                                cwd=folder, env=dict(env, **more), timeout=60,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        assert played.returncode == 0, f"{option}: exit status {played.returncode}"
        with open(os.path.join(folder, "played.sums")) as sums:
            assert sums.read() == recorded, f"{option}: not the recorded game's pictures"


def check_scores(binary, env, games):
    """Each game that q or the close button ended is in the table that --scores prints."""
    listed = subprocess.run([binary, "--scores"], env=env, capture_output=True, text=True)
    rows = re.findall(r"^ +\d+ +\d+ +1  \d{4}-\d\d-\d\d [\d:]{8} UTC$", listed.stdout, re.M)
    assert listed.returncode == 0 and len(rows) == games, f"--scores: {listed.stdout!r}"


def main(argv):
    if len(argv) != 1:
        sys.exit(__doc__)
    for tool in ("Xvfb", "xdotool"):
        if shutil.which(tool) is None:
            sys.exit(f"{tool} is missing: tools/install-deps.sh --tests installs it")
    pictures = xwindow.Pictures()
    server = game = None
    options = []
    runs = ([], play, 100), (["--scale", "2"], play, 20), (["--fullscreen"], play, 20), \
        ([], play_controls, 100)
    with tempfile.TemporaryDirectory() as folder:
        for image in ("background.png", "sprites.png"):
            shutil.copy(os.path.join(xwindow.ASSETS, image), folder)
        shutil.copytree(os.path.join(xwindow.ASSETS, "sounds"), os.path.join(folder, "sounds"))
        try:
            server = xwindow.XServer(*SCREEN)
            # libX11's input method leaks a few bytes, which a sanitizer build reports.
            asan = os.environ.get("ASAN_OPTIONS", "") + ":detect_leaks=0"
            # Every game enters the best-scores table of this folder, never a player's.
            env = dict(server.env, ASAN_OPTIONS=asan, XDG_DATA_HOME=os.path.join(folder, "data"))
            for options, run, least in runs:
                # The games in the plain window are recorded, and played back below.
                demo = [] if options else ["--record", "game.demo", "--frame-sums", "recorded.sums"]
                with open(os.path.join(folder, "out"), "w+") as out, \
                        open(os.path.join(folder, "err"), "w+") as err:
                    game = subprocess.Popen([os.path.abspath(argv[0]), *options, *demo], cwd=folder,
                                            env=env, stdout=out, stderr=err)
                    run(server, game, pictures, options)
                    out.seek(0)
                    err.seek(0)
                    check_output(out.read(), err.read(), least)
                if not options:
                    plays_back(os.path.abspath(argv[0]), folder, env)
            check_scores(argv[0], env, len(runs))
            print("the figure walked, turned and jumped; q ended it; 2x and full screen too;"
                  " p paused and resumed, F11 went full screen and back, close ended it; the"
                  " games in the plain window played back with the same pictures")
        except AssertionError as failure:
            sys.exit(f"FAILED ({' '.join(options) or 'no option'}): {failure}")
        finally:
            if game is not None and game.poll() is None:
                game.kill()
                game.wait()
            if server is not None:
                server.close()


if __name__ == "__main__":
    main(sys.argv[1:])
