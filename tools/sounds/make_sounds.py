#!/usr/bin/python3
"""Build Frostrun's sounds: assets/sounds/*.wav, and their waveforms' picture.

Usage:
  make_sounds.py [--out DIR]   write every sound (default DIR: the repo's
                               assets/sounds/)
  make_sounds.py --check       rebuild in memory, compare byte for byte with
                               the committed files and check every file's
                               properties; exit 0 when all hold, else list
                               the problems and exit 1
  make_sounds.py --docs [FILE] draw every waveform into one picture (default
                               FILE: the repo's docs/sounds/waveforms.png;
                               needs python3-pil)

Every sound is synthesised here from its description below: sine partials,
sweeps and a noise of our own (a fixed linear congruential generator), so
the output is the same on every run. All files are 16-bit mono PCM at
22050 Hz. The effects start and end on a zero sample and peak well below
full scale; the music is one loop whose notes all die away inside it, so
its last sample meets its first without a step.
"""

import argparse
import io
import math
import os
import struct
import sys
import wave

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
SOUNDS_DIR = os.path.join(REPO, "assets", "sounds")
DOCS_FILE = os.path.join(REPO, "docs", "sounds", "waveforms.png")

RATE = 22050
FULL = 32767
EFFECT_PEAK = 0.60  # effects and music together stay below full scale
MUSIC_PEAK = 0.26
MOST_BYTES = 2 * 1024 * 1024
# What the properties check allows.
PEAK_LIMIT = 0.9 * FULL
DC_LIMIT = 0.002 * FULL
JOIN_LIMIT = 0.01 * FULL


def note(name):
    """The frequency of a note such as 'C5' or 'F#3' (A4 = 440 Hz)."""
    steps = {"C": -9, "D": -7, "E": -5, "F": -4, "G": -2, "A": 0, "B": 2}
    semitone = steps[name[0]] + name.count("#") - name.count("b")
    octave = int(name[-1])
    return 440.0 * 2 ** ((semitone + 12 * (octave - 4)) / 12)


def count(seconds):
    return int(round(seconds * RATE))


class Noise:
    """White noise in -1..1 from a 32-bit linear congruential generator."""

    def __init__(self, seed):
        self.state = seed

    def next(self):
        self.state = (self.state * 1664525 + 1013904223) & 0xFFFFFFFF
        return self.state / 2147483648.0 - 1.0


def silence(seconds):
    return [0.0] * count(seconds)


def mix(into, sound, at=0.0, gain=1.0):
    """Adds SOUND into INTO from AT seconds on, growing INTO as needed."""
    start = count(at)
    if len(into) < start + len(sound):
        into.extend([0.0] * (start + len(sound) - len(into)))
    for i, value in enumerate(sound):
        into[start + i] += gain * value
    return into


def voice(seconds, frequency, attack=0.005, decay=0.2, partials=((1, 1.0),), glide=None):
    """One note: PARTIALS (multiple, weight) of a frequency that may glide
    exponentially to GLIDE, rising in ATTACK seconds, dying with time
    constant DECAY, and faded to zero over its last 10 ms."""
    n = count(seconds)
    out = []
    phase = 0.0
    end = glide if glide is not None else frequency
    for i in range(n):
        t = i / RATE
        f = frequency * (end / frequency) ** (i / max(1, n - 1))
        phase += 2 * math.pi * f / RATE
        level = min(1.0, t / attack) * math.exp(-t / decay)
        value = sum(w * math.sin(k * phase) for k, w in partials)
        out.append(level * value)
    return fade(out, 0.010)


def hiss(seconds, seed, smooth, decay, crackle=0.0):
    """Filtered noise (a one-pole low-pass of coefficient SMOOTH, its DC
    taken off by a high-pass), dying with time constant DECAY; CRACKLE adds
    sparse clicks of the same noise."""
    source = Noise(seed)
    out = []
    low = high_in = high_out = 0.0
    for i in range(count(seconds)):
        t = i / RATE
        x = source.next()
        if crackle and source.next() > 1 - crackle:
            x *= 6
        low += smooth * (x - low)
        high_out = 0.995 * (high_out + low - high_in)
        high_in = low
        out.append(high_out * math.exp(-t / decay))
    return fade(out, 0.010, 0.004)


def fade(samples, tail, head=0.002):
    """Fades the first HEAD and last TAIL seconds in and out from zero, so
    the sound starts and ends on silence."""
    n = len(samples)
    h = max(2, count(head))
    k = max(2, count(tail))
    for i in range(min(h, n)):
        samples[i] *= i / h
    for i in range(min(k, n)):
        samples[n - 1 - i] *= i / k
    return samples


def finish(samples, peak):
    """Takes the DC offset off under a window that is zero at both ends,
    scales to PEAK of full scale and rounds to 16-bit samples."""
    n = len(samples)
    window = [math.sin(math.pi * i / (n - 1)) ** 2 for i in range(n)]
    offset = sum(samples) / sum(window)
    flat = [s - offset * w for s, w in zip(samples, window)]
    top = max(abs(s) for s in flat)
    return [int(round(s / top * peak * FULL)) for s in flat]


# ---- The effects -------------------------------------------------------------
CATCH_NOTES = ("E5", "F#5", "G#5", "A5", "B5", "C#6", "D#6", "E6", "F#6")


def catch_chime(step):
    """A snowflake caught: a small bell, one step of a major scale higher for
    each icon in the progress column (step 1 to 9)."""
    bell = ((1, 1.0), (2, 0.35), (3, 0.12), (4.2, 0.08))
    return voice(0.22, note(CATCH_NOTES[step - 1]), 0.003, 0.07, bell)


def coal():
    """A burning coal caught: a sizzling hiss that dies away."""
    sizzle = hiss(0.40, 7, 0.55, 0.12, crackle=0.02)
    return mix(sizzle, voice(0.12, 180, 0.002, 0.03, ((1, 1.0),), glide=90), gain=0.3)


def mitten():
    """The golden mitten caught: a bright sparkle running up two octaves."""
    out = []
    for k, name in enumerate(("C6", "E6", "G6", "C7", "E7")):
        mix(out, voice(0.20, note(name), 0.002, 0.06, ((1, 1.0), (2, 0.2))), at=0.045 * k)
    return fade(out, 0.010)


def jump():
    """A jump: a short upward sweep with a little body."""
    return voice(0.16, 330, 0.004, 0.09, ((1, 1.0), (2, 0.25), (3, 0.1)), glide=880)


def throw():
    """The snowman's snowball starts to roll: a low rumble that wobbles."""
    out = voice(0.45, 70, 0.02, 0.25, ((1, 1.0), (2, 0.5), (3, 0.2)), glide=55)
    rumble = hiss(0.45, 11, 0.08, 0.3)
    mix(out, rumble, gain=2.0)
    for i in range(len(out)):
        out[i] *= 0.7 + 0.3 * math.sin(2 * math.pi * 9 * i / RATE)
    return fade(out, 0.015)


def turn_back():
    """A snowball turned back: a springy sweep down and up again."""
    down = voice(0.10, 900, 0.002, 0.2, ((1, 1.0), (2, 0.3)), glide=300)
    up = voice(0.14, 300, 0.002, 0.1, ((1, 1.0), (2, 0.3)), glide=1200)
    return mix(down, up, at=0.09)


def snowman_beaten():
    """The snowman beaten, 35 points: a thump, then a jolly three-note run."""
    out = voice(0.20, 140, 0.002, 0.06, ((1, 1.0), (2, 0.4)), glide=60)
    for k, name in enumerate(("G5", "B5", "D6")):
        mix(out, voice(0.24, note(name), 0.004, 0.09, ((1, 1.0), (3, 0.2))), at=0.12 + 0.09 * k)
    return fade(out, 0.010)


def life_lost():
    """A life lost: a heavy thud and a falling wobble under the crash's flashes."""
    out = voice(0.35, 110, 0.002, 0.09, ((1, 1.0), (2, 0.3)), glide=45)
    mix(out, hiss(0.25, 23, 0.2, 0.05), gain=0.6)
    wobble = voice(0.9, 520, 0.01, 0.5, ((1, 1.0), (2, 0.2)), glide=130)
    for i in range(len(wobble)):
        wobble[i] *= 0.6 + 0.4 * math.sin(2 * math.pi * 7 * i / RATE)
    return fade(mix(out, wobble, at=0.15, gain=0.7), 0.02)


def level_completed():
    """A level completed: a rising arpeggio that ends on a held chord."""
    out = []
    for k, name in enumerate(("C5", "E5", "G5", "C6")):
        mix(out, voice(0.6 - 0.08 * k, note(name), 0.004, 0.18, ((1, 1.0), (2, 0.25))),
            at=0.08 * k)
    return fade(out, 0.02)


def level_intro():
    """The level intro waits for the player: a soft two-note call."""
    out = voice(0.35, note("G5"), 0.01, 0.15, ((1, 1.0), (2, 0.15)))
    mix(out, voice(0.5, note("C5"), 0.01, 0.2, ((1, 1.0), (2, 0.15))), at=0.25)
    return fade(out, 0.02)


def last_life():
    """The last life lost: four slow notes stepping down a minor scale."""
    out = []
    for k, name in enumerate(("E5", "D5", "C5", "A4")):
        length = 0.8 if k == 3 else 0.4
        mix(out, voice(length, note(name), 0.01, 0.3, ((1, 1.0), (2, 0.3), (3, 0.1))),
            at=0.32 * k)
    return fade(out, 0.03)


# ---- The music -----------------------------------------------------------------
BEAT = 0.5  # seconds: 120 beats a minute, four bars of four beats
MELODY = (  # (note or None for a rest, beats)
    ("E5", .5), ("G5", .5), ("A5", .5), ("G5", .5), ("E5", .5), ("D5", .5), ("C5", .5), ("D5", .5),
    ("E5", 1), ("G5", 1), ("C6", .5), ("B5", .5), ("A5", 1),
    ("G5", .5), ("E5", .5), ("D5", .5), ("C5", .5), ("D5", .5), ("E5", .5), ("G5", .5), ("E5", .5),
    ("D5", 1.5), ("C5", 1.5), (None, 1),
)
BASS = (("C3", 2), ("G2", 2), ("A2", 2), ("E2", 2), ("F2", 2), ("C3", 2), ("G2", 2), ("G2", 2))


def music():
    """A light tune in C over a walking bass, one loop of 8 seconds. Every
    note ends inside its own length, so the loop joins without a step."""
    out = silence(16 * BEAT)
    for part, timbre, gain, decay in ((MELODY, ((1, 1.0), (2, 0.2), (3, 0.15)), 1.0, 0.35),
                                      (BASS, ((1, 1.0), (2, 0.45), (3, 0.1)), 0.8, 0.6)):
        at = 0.0
        for name, beats in part:
            if name is not None:
                mix(out, voice(beats * BEAT * 0.95, note(name), 0.01, decay, timbre), at, gain)
            at += beats * BEAT
    return out[:count(16 * BEAT)]


# The sounds in the order of the game's sound table (src/base/sound.cpp).
SOUNDS = [(f"catch-{step}.wav", (lambda s=step: catch_chime(s)), EFFECT_PEAK)
          for step in range(1, 10)] + [
    ("coal.wav", coal, EFFECT_PEAK),
    ("mitten.wav", mitten, EFFECT_PEAK),
    ("jump.wav", jump, EFFECT_PEAK),
    ("throw.wav", throw, EFFECT_PEAK),
    ("turn-back.wav", turn_back, EFFECT_PEAK),
    ("snowman-beaten.wav", snowman_beaten, EFFECT_PEAK),
    ("life-lost.wav", life_lost, EFFECT_PEAK),
    ("level-completed.wav", level_completed, EFFECT_PEAK),
    ("level-intro.wav", level_intro, EFFECT_PEAK),
    ("last-life.wav", last_life, EFFECT_PEAK),
    ("music.wav", music, MUSIC_PEAK),
]


def wav_bytes(samples):
    out = io.BytesIO()
    with wave.open(out, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(struct.pack(f"<{len(samples)}h", *samples))
    return out.getvalue()


def build():
    """Every sound: {file name: 16-bit samples}."""
    return {name: finish(make(), peak) for name, make, peak in SOUNDS}


def read_samples(path):
    """The format and samples of a WAV file."""
    with wave.open(path, "rb") as w:
        form = (w.getnchannels(), w.getsampwidth(), w.getframerate())
        data = w.readframes(w.getnframes())
    return form, list(struct.unpack(f"<{len(data) // 2}h", data))


def problems_of(name, form, samples):
    """What breaks the rules every sound file keeps."""
    found = []
    if form != (1, 2, RATE):
        found.append(f"{name}: {form} is not 16-bit mono at {RATE} Hz")
        return found
    peak = max(abs(s) for s in samples)
    mean = sum(samples) / len(samples)
    if peak > PEAK_LIMIT:
        found.append(f"{name}: peak {peak} is too near full scale")
    if abs(mean) > DC_LIMIT:
        found.append(f"{name}: DC offset {mean:.1f}")
    if name == "music.wav":
        if abs(samples[-1] - samples[0]) > JOIN_LIMIT:
            found.append(f"{name}: the loop steps from {samples[-1]} to {samples[0]}")
    elif samples[0] != 0 or samples[-1] != 0:
        found.append(f"{name}: starts on {samples[0]} and ends on {samples[-1]}, not silence")
    return found


def check():
    problems = []
    total = 0
    for name, samples in build().items():
        path = os.path.join(SOUNDS_DIR, name)
        if not os.path.exists(path):
            problems.append(f"{name}: missing")
            continue
        data = open(path, "rb").read()
        total += len(data)
        if data != wav_bytes(samples):
            problems.append(f"{name}: differs from what the generator makes")
        problems += problems_of(name, *read_samples(path))
    extra = set(os.listdir(SOUNDS_DIR)) - {name for name, _, _ in SOUNDS}
    problems += [f"{name}: not made by the generator" for name in sorted(extra)]
    if total > MOST_BYTES:
        problems.append(f"the sounds take {total} bytes, more than {MOST_BYTES}")
    for problem in problems:
        print(problem)
    print(f"{len(SOUNDS)} sounds, {total} bytes: {'FAIL' if problems else 'ok'}")
    return 1 if problems else 0


def draw(sounds, path):
    """Every waveform in one picture: one row a sound, the highest and lowest
    sample of each column, at one time scale (the longest sound fits)."""
    from PIL import Image, ImageDraw, ImageFont

    label_w, width, row_h = 150, 900, 56
    longest = max(len(s) for s in sounds.values())
    image = Image.new("RGB", (label_w + width, row_h * len(sounds) + 20), "white")
    pen = ImageDraw.Draw(image)
    font = ImageFont.load_default()
    for row, (name, samples) in enumerate(sounds.items()):
        top = row * row_h
        middle = top + row_h // 2
        pen.text((6, middle - 6), name[:-4], fill="black", font=font)
        pen.line([(label_w, middle), (label_w + width, middle)], fill=(210, 210, 210))
        per = longest / width
        for x in range(int(len(samples) / per)):
            part = samples[int(x * per):int((x + 1) * per) + 1]
            high = middle - max(part) * (row_h // 2 - 2) // FULL
            low = middle - min(part) * (row_h // 2 - 2) // FULL
            pen.line([(label_w + x, high), (label_w + x, low)], fill=(30, 70, 160))
    seconds = longest / RATE
    for s in range(int(seconds) + 1):
        x = label_w + int(s * RATE / longest * width)
        pen.line([(x, row_h * len(sounds)), (x, row_h * len(sounds) + 5)], fill="black")
        pen.text((x + 2, row_h * len(sounds) + 6), f"{s} s", fill="black", font=font)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    image.save(path)


def main(argv):
    parser = argparse.ArgumentParser(description="Build Frostrun's sounds.")
    parser.add_argument("--out", metavar="DIR", default=SOUNDS_DIR,
                        help="where to write the sounds (default: the repo's assets/sounds/)")
    parser.add_argument("--check", action="store_true",
                        help="compare a fresh build with the committed sounds")
    parser.add_argument("--docs", metavar="FILE", nargs="?", const=DOCS_FILE,
                        help="draw the waveforms (default: docs/sounds/waveforms.png)")
    args = parser.parse_args(argv)
    if args.check:
        return check()
    sounds = build()
    if args.docs is not None:
        draw(sounds, args.docs)
        return 0
    os.makedirs(args.out, exist_ok=True)
    for name, samples in sounds.items():
        with open(os.path.join(args.out, name), "wb") as out:
            out.write(wav_bytes(samples))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
