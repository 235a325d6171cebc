#!/usr/bin/python3
"""How the game sounds, without speakers: plays a short session of the real
game in Xvfb (tools/xwindow.py) on SDL's disk audio driver, paced at about
real time, and draws what it wrote against the session's events: the key
presses (jumps, m twice), where the generator's effects are found whole in
the output over the music (a jump, a catch's chime...), and the span that is
silent (muted). The disk driver keeps only about real time (a fixed wait
between buffers), so the output's time is drawn stretched by one factor to
end where q was pressed; what each frame starts is the seam test's to say.

    plot_disk_output.py GAME_BINARY [PICTURE]   (default docs/sounds/disk-output.png)
"""
import array
import os
import shutil
import subprocess
import sys
import tempfile
import time

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(REPO, "tools"))
import xwindow  # noqa: E402

ASSETS = os.path.join(REPO, "assets")
RATE = 22050
SCRIPT = [(0.8, "space"), (1.8, "space"), (2.6, "m"), (3.6, "m"), (4.2, "space"), (5.2, "q")]


def samples(path, skip=0):
    data = array.array("h")
    with open(path, "rb") as f:
        f.seek(skip)
        data.frombytes(f.read())
    return data


def session(game, folder):
    """Plays the script; answers the output samples and the press times."""
    out = os.path.join(folder, "out.raw")
    server = xwindow.XServer()
    try:
        # A buffer of 1024 samples lasts 46 ms: the driver writes one about
        # every 46 ms, near real time.
        env = dict(server.env, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=out,
                   SDL_DISKAUDIODELAY="46")
        game_process = subprocess.Popen([game], cwd=folder, env=env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        window = server.window("Frostrun")
        start = time.monotonic()
        pressed = []
        for at, key in SCRIPT:
            time.sleep(max(0, start + at - time.monotonic()))
            pressed.append((time.monotonic() - start, key))
            server.key(window, key)
        game_process.wait(timeout=20)
    finally:
        server.close()
    return samples(out), pressed


def find_all(haystack, needle):
    """Every place where NEEDLE's first 256 non-zero-led samples stand."""
    first = next(i for i, v in enumerate(needle) if v)
    key, data, found, at = needle[first:first + 256].tobytes(), haystack.tobytes(), [], 0
    while (at := data.find(key, at)) >= 0:
        if at % 2 == 0:
            found.append(at // 2 - first)
        at += 2
    return found


def main(argv):
    game = os.path.abspath(argv[0])
    picture = argv[1] if len(argv) > 1 else os.path.join(REPO, "docs", "sounds", "disk-output.png")
    music = samples(os.path.join(ASSETS, "sounds", "music.wav"), 44)
    effects = {name[:-4]: samples(os.path.join(ASSETS, "sounds", name), 44)
               for name in sorted(os.listdir(os.path.join(ASSETS, "sounds")))
               if name != "music.wav"}
    folder = tempfile.mkdtemp(prefix="frostrun-plot-")
    try:
        for image in ("background.png", "sprites.png"):
            shutil.copy(os.path.join(ASSETS, image), folder)
        shutil.copytree(os.path.join(ASSETS, "sounds"), os.path.join(folder, "sounds"))
        heard, pressed = session(game, folder)
    finally:
        shutil.rmtree(folder)
    start = find_all(heard, music)[0]
    rest = array.array("h", (v - music[(i - start) % len(music)] if i >= start else v
                             for i, v in enumerate(heard)))
    silent = [i for i in range(start, len(heard), 256) if not any(heard[i:i + 256])]
    found = sorted((at, name) for name, effect in effects.items()
                   for at in find_all(rest, effect) if rest[at:at + len(effect)] == effect)

    width, height, left = 1100, 300, 60
    image = Image.new("RGB", (width, height), "white")
    pen = ImageDraw.Draw(image)
    font = ImageFont.load_default()
    seconds = pressed[-1][0]
    stretch = seconds / (len(heard) / RATE)
    x_of = lambda t: left + int(t / seconds * (width - left - 20))  # noqa: E731
    middle, half = 150, 100
    if silent:
        pen.rectangle([x_of(silent[0] / RATE * stretch), middle - half,
                       x_of(silent[-1] / RATE * stretch), middle + half], fill=(235, 235, 235))
        pen.text((x_of(silent[0] / RATE * stretch) + 4, middle - half + 2), "silent (m)",
                 fill="black", font=font)
    per = len(heard) / (width - left - 20)
    for x in range(width - left - 20):
        part = heard[int(x * per):int((x + 1) * per) + 1] or array.array("h", [0])
        pen.line([(left + x, middle - max(part) * half // 32768),
                  (left + x, middle - min(part) * half // 32768)], fill=(30, 70, 160))
    for at, key in pressed:
        pen.line([(x_of(at), 30), (x_of(at), middle - half)], fill=(200, 0, 0))
        pen.text((x_of(at) - 10, 18), f"{key} {at:.2f}", fill=(200, 0, 0), font=font)
    for k, (at, name) in enumerate(found):
        x = x_of(at / RATE * stretch)
        low = middle + half
        pen.polygon([(x, low + 2), (x - 5, low + 12), (x + 5, low + 12)], fill=(0, 140, 0))
        pen.text((x - 20, middle + half + 14 + 12 * (k % 2)), f"{name} {at / RATE * stretch:.2f}",
                 fill=(0, 140, 0), font=font)
    pen.text((4, 30), f"music from {start / RATE * stretch:.2f} s; output time x {stretch:.3f}",
             fill="black", font=font)
    for s in range(int(seconds) + 1):
        pen.line([(x_of(s), height - 22), (x_of(s), height - 16)], fill="black")
        pen.text((x_of(s) + 2, height - 14), f"{s} s", fill="black", font=font)
    pen.text((4, 4), "disk audio output (red: keys pressed, s since the window showed;"
             " green: effects found whole over the music)", fill="black", font=font)
    os.makedirs(os.path.dirname(picture), exist_ok=True)
    image.save(picture)
    print(f"{len(heard)} samples ({len(heard) / RATE:.2f} s, drawn x {stretch:.3f});"
          f" music from {start}; presses "
          f"{[(round(t, 2), k) for t, k in pressed]}; effects "
          f"{[(round(at / RATE * stretch, 2), name) for at, name in found]}; silent "
          f"{silent[0] / RATE * stretch if silent else 0:.2f} to "
          f"{silent[-1] / RATE * stretch if silent else 0:.2f} s")


if __name__ == "__main__":
    main(sys.argv[1:])
