#!/usr/bin/python3
"""Build Frostrun's two images: assets/sprites.png and assets/background.png.

Usage:
  make_assets.py [--out DIR]   write background.png and sprites.png
                               (default DIR: the repo's assets/)
  make_assets.py --check       rebuild into a temporary folder and compare with
                               the committed assets pixel by pixel; exit 0 when
                               identical, else list the differences and exit 1
  make_assets.py --docs [DIR]  write the labelled contact sheet and a composed
                               scene (default DIR: the repo's docs/art/); add
                               --out to write the assets in the same run

Run it with Debian's /usr/bin/python3 (python3-pil).  The sprite art lives in
art/ as text pixel art (one character per pixel, see art/palette.txt); the
spinning snowflakes, the hot coals, the snowball and the backdrop are drawn
here from geometry.  Nothing is random: the backdrop's scatter comes from a
small fixed-seed generator of our own, so the output never changes between
Python versions.
"""

import argparse
import math
import os
import sys
import tempfile

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
ART_DIR = os.path.join(HERE, "art")
REPO = os.path.dirname(os.path.dirname(HERE))
ASSETS_DIR = os.path.join(REPO, "assets")
DOCS_DIR = os.path.join(REPO, "docs", "art")

SPRITES_FILE = "sprites.png"
BACKGROUND_FILE = "background.png"

# ---------------------------------------------------------------------------
# Sprite-sheet layout: every rectangle (x, y, w, h) the game copies from.
# ---------------------------------------------------------------------------

SHEET_W, SHEET_H = 500, 457          # banner is 500 wide, glyph rows end at 457

SCORE_CELLS = [(0, 0), (10, 0), (0, 12), (10, 12), (0, 22),
               (10, 22), (0, 33), (10, 33), (0, 44), (10, 44)]   # digits 0..9
SCORE_SIZE = (10, 10)
PARTICLE = (0, 0, 1, 1)
PROGRESS_ICON = (20, 0, 20, 20)

FALLING_SIZE = (30, 26)
OBJECT_FRAMES = [(100, 0), (100, 26), (100, 52), (100, 78), (100, 104),
                 (70, 78), (70, 52), (70, 26)]                   # frames 0..7
HAZARD_SHIFT = 62                    # hazard frame = collectable frame + 62 in x
POWERUP = (229, 0, 23, 22)

OPPONENT_XS = [0, 29, 58, 87, 116]   # standing, then the four wind-up pictures
OPPONENT_Y_RIGHT, OPPONENT_Y_LEFT = 139, 175
OPPONENT_SIZE = (28, 37)

SNOWBALL_CELLS = [3, 20, 37]         # three 17-wide cells; read at x+1 and x
SNOWBALL_Y = 92
SNOWBALL_CELL = (17, 14)
THROWN_FIRST = [(4, 92, 16, 14), (21, 92, 16, 14), (38, 92, 16, 14)]
THROWN_LATER = [(3, 92, 16, 14), (20, 92, 16, 14), (37, 92, 16, 14)]
ITEM = (3, 92, 17, 14)

PLAYER_SIZE = (40, 65)
PLAYER_RIGHT = [(299, 5), (299, 70), (299, 135)]   # frames 0..2
PLAYER_LEFT = [(260, 5), (260, 70), (260, 135)]    # frames 3..5
LIFE_ICON = (300, 5, 33, 22)
CRASH_A = (260, 5, 36, 62)
CRASH_B = (302, 5, 36, 62)

BANNER = (0, 340, 500, 25)
INTRO_ROWS = [370, 392, 414, 436]    # four looks of the pulsing number
INTRO_SIZE = (13, 21)
INTRO_PITCH = 15                     # glyph of digit d at x = 15 * d
PAUSE_SIGN = (0, 216, 200, 48)       # drawn centred on the dimmed picture
# The game-over screen's pictures, in the lower half of the free band
# between the snowman and the banner.
GAME_OVER_TITLE = (0, 300, 133, 21)       # GAME OVER
GAME_OVER_SCORE = (140, 300, 62, 16)      # SCORE
GAME_OVER_LEVEL = (210, 300, 62, 16)      # LEVEL
GAME_OVER_BEST = (280, 300, 122, 16)      # BEST GAMES
GAME_OVER_MARK = (410, 300, 12, 10)       # arrow marking this game

# ---------------------------------------------------------------------------
# Screen layout the art is fitted to (where the game puts things).
# ---------------------------------------------------------------------------

SCREEN_W, SCREEN_H = 640, 480
PLAYER_Y = 410                       # figure's top on the ground; 65 high
OPPONENT_Y = 440                     # 37 high
THROWN_Y = 460                       # 14 high
# The snow's surface: the figure's soles (frame row 61) stand on row 471, the
# snowball (cell rows 0..12) touches it and the snowman's base (row 35) sinks
# into it by a few pixels.
GROUND_Y = 472

# Areas that must stay plain sky so the things drawn over them read clearly.
CALM_AREAS = [
    (540, 13, 41, 12),     # score
    (8, 28, 21, 261),      # progress column
    (600, 30, 34, 133),    # lives column
    (600, 170, 23, 22),    # held power-up icon
    (50, 200, 501, 26),    # level banner
    (550, 202, 34, 22),    # level number
]

# ---------------------------------------------------------------------------
# Palette and text art
# ---------------------------------------------------------------------------


def load_palette():
    """Read art/palette.txt: returns ({char: index}, [(r, g, b)] by index)."""
    chars = {".": 0}
    colours = [(0, 0, 0)]            # index 0: the colour key
    with open(os.path.join(ART_DIR, "palette.txt")) as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            ch, r, g, b = line.split()[:4]
            assert ch not in chars, "palette char used twice: " + ch
            chars[ch] = len(colours)
            colours.append((int(r), int(g), int(b)))
    return chars, colours


PAL, COLOURS = load_palette()


def load_art(name):
    """Read art/NAME.txt: blocks that start with '== title'; '#' lines are
    comments outside a block.  Returns {title: [row strings]}."""
    blocks, current = {}, None
    with open(os.path.join(ART_DIR, name + ".txt")) as f:
        for raw in f:
            line = raw.rstrip("\n")
            if line.startswith("== "):
                current = line[3:].strip()
                blocks[current] = []
            elif not line.strip():
                current = None
            elif current is not None:
                blocks[current].append(line)
    for title, rows in blocks.items():
        assert len({len(r) for r in rows}) == 1, "ragged art: %s/%s" % (name, title)
    return blocks


# A grid is a list of rows of palette indexes; 0 is transparent.

def blank(w, h):
    return [[0] * w for _ in range(h)]


def grid_from_art(rows, ink=None):
    """Text art to a grid; with `ink`, '#' is that colour and '.' transparent."""
    if ink is not None:
        return [[PAL[ink] if ch == "#" else 0 for ch in row] for row in rows]
    return [[PAL[ch] for ch in row] for row in rows]


def size(grid):
    return len(grid[0]), len(grid)


def mirror(grid):
    return [list(reversed(row)) for row in grid]


def paste(dst, src, x, y):
    """Copy the opaque pixels of src into dst at (x, y)."""
    for j, row in enumerate(src):
        for i, v in enumerate(row):
            if v:
                dst[y + j][x + i] = v


def outlined(grid, colour="n", diagonal=False):
    """Add a one-pixel outline around the opaque pixels (into transparent
    neighbours), so a sprite reads on dark sky and on white snow alike."""
    w, h = size(grid)
    out = [row[:] for row in grid]
    steps = [(1, 0), (-1, 0), (0, 1), (0, -1)]
    if diagonal:
        steps += [(1, 1), (1, -1), (-1, 1), (-1, -1)]
    for y in range(h):
        for x in range(w):
            if grid[y][x]:
                continue
            for dx, dy in steps:
                nx, ny = x + dx, y + dy
                if 0 <= nx < w and 0 <= ny < h and grid[ny][nx]:
                    out[y][x] = PAL[colour]
                    break
    return out


def mask(grid):
    return [[1 if v else 0 for v in row] for row in grid]


# ---------------------------------------------------------------------------
# Deterministic scatter: a 32-bit linear congruential generator of our own.
# ---------------------------------------------------------------------------


class Lcg:
    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self):
        self.state = (self.state * 1664525 + 1013904223) & 0xFFFFFFFF
        return self.state >> 8           # 24 bits; the low bits are weak

    def below(self, n):
        return self.next() % n

    def unit(self):
        return self.next() / float(1 << 24)


# ---------------------------------------------------------------------------
# Geometry helpers for the drawn (not hand-painted) sprites
# ---------------------------------------------------------------------------

SUPERSAMPLE = 4


def coverage(w, h, inside):
    """Fraction of each pixel for which inside(x, y) holds (4 x 4 samples)."""
    n = SUPERSAMPLE
    cov = blank(w, h)
    for y in range(h):
        for x in range(w):
            hits = 0
            for sy in range(n):
                for sx in range(n):
                    if inside(x + (sx + 0.5) / n, y + (sy + 0.5) / n):
                        hits += 1
            cov[y][x] = hits / float(n * n)
    return cov


def near_segments(segments, half_width):
    """inside() test: within half_width of any of the line segments."""
    def inside(px, py):
        for (ax, ay), (bx, by) in segments:
            dx, dy = bx - ax, by - ay
            t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
            t = min(1.0, max(0.0, t))
            ex, ey = ax + t * dx - px, ay + t * dy - py
            if ex * ex + ey * ey <= half_width * half_width:
                return True
        return False
    return inside


def in_polygon(points):
    def inside(px, py):
        hit = False
        j = len(points) - 1
        for i in range(len(points)):
            (xi, yi), (xj, yj) = points[i], points[j]
            if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside


def shade(cov, ramp):
    """Coverage grid to palette grid: ramp is [(min coverage, char), ...]
    from the strongest down; below the last step stays transparent."""
    out = blank(*size(cov))
    for y, row in enumerate(cov):
        for x, c in enumerate(row):
            for limit, ch in ramp:
                if c >= limit:
                    out[y][x] = PAL[ch]
                    break
    return out


def snowflake_segments(cx, cy, radius, angle):
    """A six-armed crystal: each arm with two pairs of side branches."""
    segs = []
    for k in range(6):
        a = angle + k * math.pi / 3
        dx, dy = math.sin(a), -math.cos(a)
        segs.append(((cx, cy), (cx + dx * radius, cy + dy * radius)))
        for at, length in ((0.42, 0.34), (0.7, 0.22)):
            px, py = cx + dx * radius * at, cy + dy * radius * at
            for side in (-1, 1):
                b = a + side * math.pi / 3
                segs.append(((px, py), (px + math.sin(b) * radius * length,
                                        py - math.cos(b) * radius * length)))
    return segs


# ---------------------------------------------------------------------------
# The art, one function per kind
# ---------------------------------------------------------------------------


def score_tile(digit):
    """A 10 x 10 ice tile with the digit.  Every pixel is opaque: the score is
    redrawn every frame without erasing, and the erase area misses the
    bottom row of the cells, so the tile must cover whatever was there.  Its
    top-left pixel is bright snow because the sheet's pixel (0, 0) (the
    corner of digit 0) is also every burst particle."""
    tile = blank(*SCORE_SIZE)
    for y in range(10):
        for x in range(10):
            if x == 0 or y == 0:
                ch = "K"
            elif x == 9 or y == 9:
                ch = "n"
            else:
                ch = "N"
            tile[y][x] = PAL[ch]
    tile[0][0] = PAL["W"]
    paste(tile, grid_from_art(load_art("font_score")[str(digit)], ink="W"), 2, 1)
    return tile


def progress_token():
    """20 x 20: a round ice token with a snowflake, one per caught flake."""
    return outlined(grid_from_art(load_art("token")["token"]))


def snowflake_frame(i):
    """Collectable picture i of 8: the crystal turns 7.5 degrees per picture,
    so the eight pictures cover its 60-degree symmetry and loop smoothly."""
    w, h = FALLING_SIZE
    angle = i * math.pi / 24
    cov = coverage(w, h, near_segments(snowflake_segments(14.5, 12.5, 11.6, angle), 0.5))
    flake = shade(cov, [(0.5, "W"), (0.2, "C")])
    return outlined(flake, "k")


def coal_frame(i):
    """Hazard picture i of 8: a burning coal that tumbles (45 degrees per
    picture) with flames and sparks trailing upwards as it falls."""
    w, h = FALLING_SIZE
    cx, cy = 15.0, 17.0
    radii = [8.4, 7.0, 8.8, 7.6, 8.6, 6.8, 8.0]
    turn = i * math.pi / 4
    pts = [(cx + r * math.sin(turn + k * 2 * math.pi / 7),
            cy - r * math.cos(turn + k * 2 * math.pi / 7) * 0.9)
           for k, r in enumerate(radii)]
    body = shade(coverage(w, h, in_polygon(pts)), [(0.5, "z")])
    # Glowing cracks, turning with the coal.
    cracks = [((cx, cy), pts[0]), ((cx, cy), pts[3]), ((cx, cy), pts[5]),
              (((cx + pts[3][0]) / 2, (cy + pts[3][1]) / 2), pts[2])]
    glow = coverage(w, h, near_segments(cracks, 0.6))
    # Flames: three tongues rising from the top of the coal, flickering.
    rng = Lcg(0xC0A1 + 17 * i)
    tongues = [(cx - 5.5 + rng.unit() * 1.5, 6.0 + rng.unit() * 3.0),
               (cx - 0.5 + rng.unit() * 1.0, 9.0 + rng.unit() * 3.0),
               (cx + 5.0 + rng.unit() * 1.5, 6.0 + rng.unit() * 3.0)]

    def flame_height(x):
        best = 0.0
        for tx, th in tongues:
            d = abs(x - tx) / 3.8
            if d < 1.0:
                best = max(best, th * (1.0 - d * d))
        return best

    top = {}
    for x in range(w):
        ys = [y for y in range(h) if body[y][x]]
        if ys:
            top[x] = ys[0]
    out = blank(w, h)
    for x, t in top.items():
        fh = flame_height(x + 0.5)
        for y in range(max(0, int(t - fh)), t + 3):
            depth = (y - (t - fh)) / max(fh, 1.0)
            out[y][x] = PAL["r" if depth < 0.35 else "O" if depth < 0.6 else "o" if depth < 0.85 else "y"]
    for y in range(h):
        for x in range(w):
            if body[y][x]:
                edge = any(not (0 <= x + dx < w and 0 <= y + dy < h and body[y + dy][x + dx])
                           for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
                if glow[y][x] >= 0.3:
                    out[y][x] = PAL["y" if glow[y][x] >= 0.6 else "o"]
                elif edge:
                    out[y][x] = PAL["O"]
                else:
                    out[y][x] = PAL["Z" if (x + y + i) % 5 == 0 else "z"]
    # Sparks above the flames.
    for _ in range(3):
        sx, sy = 6 + rng.below(18), 1 + rng.below(6)
        if not out[sy][sx]:
            out[sy][sx] = PAL["f"]
    return outlined(out, "n")


def powerup_mitten():
    """The power-up and held icon: a golden mitten with a turn-back arrow."""
    return outlined(grid_from_art(load_art("mitten")["mitten"]))


def snowball_cell(i):
    """Rolling snowball picture i of 3, centred in a 17 x 14 cell with
    transparent first and last columns: the game reads the pictures one
    pixel to the right in the first cycle and at the cell in later ones,
    and uses the first cell whole for the falling items."""
    w, h = SNOWBALL_CELL
    cx, cy, r = 8.5, 6.5, 5.8
    ball = shade(coverage(w, h, lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r),
                 [(0.5, "W")])
    for y in range(h):
        for x in range(w):
            if ball[y][x]:
                lx, ly = (x + 0.5 - cx) / r, (y + 0.5 - cy) / r
                light = -0.6 * lx - 0.8 * ly      # lit from the upper left
                ball[y][x] = PAL["W" if light > -0.1 else "w" if light > -0.55 else "b"]
    # Three lumps 120 degrees apart; 40 degrees further on in each picture.
    for k in range(3):
        for spread in (-12, 12):
            a = (i * 40 + k * 120 + spread) * math.pi / 180
            x, y = int(cx + 3.3 * math.cos(a)), int(cy + 3.3 * math.sin(a))
            if ball[y][x]:
                ball[y][x] = PAL["B" if ball[y][x] != PAL["W"] else "b"]
    out = outlined(ball, "B")
    for row in out:
        assert row[0] == 0 and row[-1] == 0
    return out


def snowman_pictures():
    """The opponent's five pictures facing right (standing, wind-ups 1..4).
    All share one silhouette: a change of facing and the standing picture in
    the tick of the throw are drawn over the previous picture without erasing,
    so no picture may leave a pixel of another uncovered."""
    art = load_art("snowman")
    pics = [outlined(grid_from_art(art[name]))
            for name in ("stand", "windup1", "windup2", "windup3", "windup4")]
    for pic in pics:
        # The base sits in the snow: no outline under it.  Row 36 of a
        # right-facing picture is row 0 of the left-facing one below it, so
        # both stay transparent there.
        pic[-1] = [0] * OPPONENT_SIZE[0]
        assert not any(pic[0])
    return pics


def player_frames():
    """The figure's three right-facing frames; the left ones are mirrors.
    The drawing keeps two clear columns on each side: after a left step, a
    stand or a jump the game restores the backdrop from two pixels to the
    right of the figure, so its two leftmost columns must be empty; and
    column 299 is the last column of the left-facing cells and the first of
    the right-facing ones.  Frame 0 stands so that its head and shoulders fill
    the life icon (300, 5, 33, 22), and frames 0 and 3 fit inside the crash
    images (302, 5, 36, 62) and (260, 5, 36, 62), which flash the figure
    facing either way.  The soles are on frame row 61: screen row 471, just
    above the snow's surface."""
    art = load_art("player")
    right = [outlined(grid_from_art(art["right %d" % k])) for k in range(3)]
    return right, [mirror(f) for f in right]


# Four looks of the level number, from calm to bright (rows 370..436), as
# (upper half, lower half) colours.  The outline is the same in every look.
INTRO_LOOKS = [("c", "k"), ("C", "c"), ("W", "C"), ("W", "W")]


def big_glyph(key, look):
    """A 13 x 21 glyph: the 11 x 19 letter or digit, outlined.  Its opaque
    silhouette does not depend on the look, so each pulse of the number
    covers the previous one completely without an erase."""
    top, bottom = look
    rows = load_art("font_big")[key]
    g = blank(*INTRO_SIZE)
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch == "#":
                g[y + 1][x + 1] = PAL[top if y < 9 else bottom]
    return outlined(g, "n", diagonal=True)


def small_text(text, ink, scale):
    """A line of the small capitals, scaled up, outlined."""
    font = load_art("font_small")
    g = blank(6 * scale * len(text) + 2, 7 * scale + 2)
    x = 1
    for ch in text:
        if ch != " ":
            for j, row in enumerate(font[ch]):
                for i, c in enumerate(row):
                    if c == "#":
                        for sy in range(scale):
                            for sx in range(scale):
                                g[1 + j * scale + sy][x + i * scale + sx] = PAL[ink]
        x += 6 * scale
    return outlined(g, "n", diagonal=True)


def level_banner():
    """500 x 25, drawn at screen (50, 200); the number follows at x 550 and
    570, so the line reads PRESS Q TO PLAY  LEVEL 02."""
    w, h = BANNER[2], BANNER[3]
    banner = blank(w, h)
    word_x = w - 15 - (4 * INTRO_PITCH + INTRO_SIZE[0])    # a 15 px gap to the number
    for k, ch in enumerate("LEVEL"):
        paste(banner, big_glyph(ch, INTRO_LOOKS[2]), word_x + INTRO_PITCH * k, 2)
    hint = small_text("PRESS Q TO PLAY", "c", 2)
    paste(banner, hint, word_x - 14 - size(hint)[0], 2 + 21 - size(hint)[1])
    return banner


def pause_sign():
    """200 x 48: PAUSED in the small capitals on an outlined panel; opaque
    all over, so that it reads on any picture the dimming leaves."""
    w, h = PAUSE_SIGN[2], PAUSE_SIGN[3]
    sign = [[PAL["n"] if x in (0, w - 1) or y in (0, h - 1) else
             PAL["K"] if x in (1, w - 2) or y in (1, h - 2) else PAL["N"]
             for x in range(w)] for y in range(h)]
    word = small_text("PAUSED", "W", 4)
    ww, wh = size(word)
    x0, y0 = (w - ww) // 2, (h - wh) // 2
    for j, row in enumerate(word):
        for i, v in enumerate(row):
            if v:
                sign[y0 + j][x0 + i] = v
    return sign


def game_over_text(text, big):
    """A word of the game-over screen: large letters as on the level banner,
    or small capitals at twice their size; the letters the fonts lack come
    from art/game_over.txt."""
    extra = load_art("game_over")
    if big:
        font = load_art("font_big")
        font.update({k[4:]: v for k, v in extra.items() if k.startswith("big ")})
        g = blank(INTRO_PITCH * (len(text) - 1) + INTRO_SIZE[0], INTRO_SIZE[1])
        for k, ch in enumerate(text):
            if ch == " ":
                continue
            glyph = blank(*INTRO_SIZE)
            for y, row in enumerate(font[ch]):
                for x, c in enumerate(row):
                    if c == "#":
                        glyph[y + 1][x + 1] = PAL[INTRO_LOOKS[2][0 if y < 9 else 1]]
            paste(g, outlined(glyph, "n", diagonal=True), INTRO_PITCH * k, 0)
        return g
    font = load_art("font_small")
    font.update({k[6:]: v for k, v in extra.items() if k.startswith("small ")})
    scale = 2
    g = blank(6 * scale * len(text) + 2, 7 * scale + 2)
    for n, ch in enumerate(text):
        for j, row in enumerate(font.get(ch, [])):
            for i, c in enumerate(row):
                if c == "#":
                    for sy in range(scale):
                        for sx in range(scale):
                            g[1 + j * scale + sy][1 + 6 * scale * n + i * scale + sx] = PAL["c"]
    return outlined(g, "n", diagonal=True)


def game_over_pictures():
    """(picture, rectangle, name) of each picture of the game-over screen."""
    mark = grid_from_art(load_art("game_over")["mark"])
    return [(game_over_text("GAME OVER", True), GAME_OVER_TITLE, "game over title"),
            (game_over_text("SCORE", False), GAME_OVER_SCORE, "game over score"),
            (game_over_text("LEVEL", False), GAME_OVER_LEVEL, "game over level"),
            (game_over_text("BEST GAMES", False), GAME_OVER_BEST, "game over best"),
            (mark, GAME_OVER_MARK, "game over mark")]


# ---------------------------------------------------------------------------
# The sheet
# ---------------------------------------------------------------------------


class Sheet:
    """The palette sheet, with a record of which pixels each sprite claimed:
    cells that share pixels (column 299, row 175) must agree on them."""

    def __init__(self):
        self.px = blank(SHEET_W, SHEET_H)
        self.owner = [[None] * SHEET_W for _ in range(SHEET_H)]

    def place(self, grid, x, y, what):
        for j, row in enumerate(grid):
            for i, v in enumerate(row):
                old = self.owner[y + j][x + i]
                if old is not None and self.px[y + j][x + i] != v:
                    raise AssertionError("%s and %s disagree at (%d, %d)"
                                         % (old, what, x + i, y + j))
                self.px[y + j][x + i] = v
                self.owner[y + j][x + i] = what

    def crop(self, rect):
        x, y, w, h = rect
        return [row[x:x + w] for row in self.px[y:y + h]]


def build_sheet():
    sheet = Sheet()
    for d, (x, y) in enumerate(SCORE_CELLS):
        sheet.place(score_tile(d), x, y, "score digit %d" % d)
    sheet.place(progress_token(), PROGRESS_ICON[0], PROGRESS_ICON[1], "progress icon")
    for i, (x, y) in enumerate(OBJECT_FRAMES):
        sheet.place(snowflake_frame(i), x, y, "collectable %d" % i)
        sheet.place(coal_frame(i), x + HAZARD_SHIFT, y, "hazard %d" % i)
    sheet.place(powerup_mitten(), POWERUP[0], POWERUP[1], "power-up")
    for k, pic in enumerate(snowman_pictures()):
        sheet.place(pic, OPPONENT_XS[k], OPPONENT_Y_RIGHT, "opponent right %d" % k)
        sheet.place(mirror(pic), OPPONENT_XS[k], OPPONENT_Y_LEFT, "opponent left %d" % k)
    for i, x in enumerate(SNOWBALL_CELLS):
        sheet.place(snowball_cell(i), x, SNOWBALL_Y, "snowball %d" % i)
    right, left = player_frames()
    for k in range(3):
        sheet.place(right[k], PLAYER_RIGHT[k][0], PLAYER_RIGHT[k][1], "player %d" % k)
        sheet.place(left[k], PLAYER_LEFT[k][0], PLAYER_LEFT[k][1], "player %d" % (k + 3))
    sheet.place(level_banner(), BANNER[0], BANNER[1], "banner")
    sheet.place(pause_sign(), PAUSE_SIGN[0], PAUSE_SIGN[1], "pause sign")
    for r, row_y in enumerate(INTRO_ROWS):
        for d in range(10):
            sheet.place(big_glyph(str(d), INTRO_LOOKS[r]), INTRO_PITCH * d, row_y,
                        "intro digit %d row %d" % (d, row_y))
    for picture, rect, name in game_over_pictures():
        assert size(picture) == rect[2:], name
        sheet.place(picture, rect[0], rect[1], name)
    check_sheet(sheet)
    return sheet


def lowest_row(grid):
    return max(y for y, row in enumerate(grid) if any(row))


def check_sheet(sheet):
    """The drawing rules of the game, checked on the finished sheet."""
    # Colour key 0 is black; no other colour may become black (or 0 in the
    # game's 16-bit screen format, 5-6-5 or 5-5-5) in any conversion.
    for i, (r, g, b) in enumerate(COLOURS[1:], 1):
        assert max(r, g, b) >= 8, "palette index %d would turn into the key" % i
    assert len(COLOURS) <= 256
    # Score cells are opaque (redrawn without erase); (0, 0) is the particle.
    for x, y in SCORE_CELLS:
        assert all(all(row) for row in sheet.crop((x, y) + SCORE_SIZE))
    assert sheet.px[PARTICLE[1]][PARTICLE[0]] == PAL["W"]
    # Opponent: one silhouette for all ten pictures.
    first = mask(sheet.crop((0, OPPONENT_Y_RIGHT) + OPPONENT_SIZE))
    for x in OPPONENT_XS:
        for y in (OPPONENT_Y_RIGHT, OPPONENT_Y_LEFT):
            assert mask(sheet.crop((x, y) + OPPONENT_SIZE)) == first, (x, y)
    # Player: two leftmost columns transparent (restored from x + 2).
    for x, y in PLAYER_RIGHT + PLAYER_LEFT:
        for row in sheet.crop((x, y, 2, PLAYER_SIZE[1])):
            assert row == [0, 0], (x, y)
    # The crash images show the whole figure of frames 3 and 0.
    def opaque(rect):
        return sum(1 for row in sheet.crop(rect) for v in row if v)
    assert opaque(CRASH_A) == opaque(PLAYER_LEFT[0] + PLAYER_SIZE)
    assert opaque(CRASH_B) == opaque(PLAYER_RIGHT[0] + PLAYER_SIZE)
    # Feet on the snow: the figure's soles on the row above the surface, the
    # snowball touching it, the snowman's base sunk into it.
    for x, y in PLAYER_RIGHT + PLAYER_LEFT:
        assert PLAYER_Y + lowest_row(sheet.crop((x, y) + PLAYER_SIZE)) == GROUND_Y - 1
    for x in SNOWBALL_CELLS:
        assert THROWN_Y + lowest_row(sheet.crop((x, SNOWBALL_Y) + SNOWBALL_CELL)) == GROUND_Y
    base = OPPONENT_Y + lowest_row(sheet.crop((0, OPPONENT_Y_RIGHT) + OPPONENT_SIZE))
    assert GROUND_Y <= base <= GROUND_Y + 4
    # Intro digits: one silhouette per digit across the four looks.
    for d in range(10):
        looks = [mask(sheet.crop((INTRO_PITCH * d, y) + INTRO_SIZE)) for y in INTRO_ROWS]
        assert all(m == looks[0] for m in looks), d
    # Nothing outside the named rectangles.
    for y in range(SHEET_H):
        for x in range(SHEET_W):
            assert not sheet.px[y][x] or sheet.owner[y][x], (x, y)


# Fills the palette up to 256 entries.  No pixel uses it; it is not black so
# that no entry of the palette but index 0 is.
UNUSED_COLOUR = (255, 0, 255)


def sheet_image(sheet):
    """8-bit palette PNG with no alpha and no transparency chunk: the game
    keys out pixel value 0 itself (colour key 0), so index 0 must be the only
    transparent one and is stored as plain black."""
    img = Image.new("P", (SHEET_W, SHEET_H))
    flat = [c for rgb in COLOURS for c in rgb]
    flat += list(UNUSED_COLOUR) * (256 - len(COLOURS))
    img.putpalette(flat)
    img.putdata([v for row in sheet.px for v in row])
    return img


# ---------------------------------------------------------------------------
# The backdrop
# ---------------------------------------------------------------------------

SKY_STOPS = [(0, (6, 9, 30)), (200, (16, 24, 62)), (330, (34, 44, 96)),
             (420, (58, 66, 124))]


def lerp(a, b, t):
    return tuple(int(round(a[k] + (b[k] - a[k]) * t)) for k in range(3))


def sky(y):
    for (y0, c0), (y1, c1) in zip(SKY_STOPS, SKY_STOPS[1:]):
        if y <= y1:
            return lerp(c0, c1, max(0.0, (y - y0) / float(y1 - y0)))
    return SKY_STOPS[-1][1]


def ridge(rng, base, waves):
    """A hill line: base plus a few sine waves with scattered phases."""
    phases = [rng.unit() * 2 * math.pi for _ in waves]
    return [base + sum(a * math.sin(x / p + ph) for (a, p), ph in zip(waves, phases))
            for x in range(SCREEN_W)]


def in_calm(x, y, margin=0):
    for cx, cy, cw, ch in CALM_AREAS:
        if cx - margin <= x < cx + cw + margin and cy - margin <= y < cy + ch + margin:
            return True
    return False


def backdrop():
    """640 x 480, 24-bit RGB (the game copies it whole or in parts onto its
    screen and never keys it): night sky with stars and a moon, two ranges of
    snowy hills with pines, a snowfield, and the snow bank the figures stand
    on (surface at GROUND_Y).  The areas behind the score, the columns, the
    held icon and the level banner stay plain sky."""
    rng = Lcg(20240117)
    far = ridge(rng, 330.0, [(18, 97.0), (10, 41.0), (4, 17.0)])
    near = ridge(rng, 384.0, [(14, 130.0), (7, 53.0), (3, 23.0)])
    plain_top = 420
    img = Image.new("RGB", (SCREEN_W, SCREEN_H))
    px = img.load()
    for y in range(SCREEN_H):
        base = sky(y)
        for x in range(SCREEN_W):
            if y >= GROUND_Y:                       # the bank underfoot
                t = (y - GROUND_Y) / float(SCREEN_H - GROUND_Y)
                c = (246, 250, 255) if y == GROUND_Y else lerp((226, 234, 250), (196, 210, 238), t)
            elif y >= plain_top:                    # snowfield
                t = (y - plain_top) / float(GROUND_Y - plain_top)
                c = lerp((134, 150, 198), (184, 198, 234), t)
            elif y >= near[x]:                      # near hills
                t = min(1.0, (y - near[x]) / 30.0)
                c = lerp((170, 184, 224), (112, 128, 180), t)
            elif y >= far[x]:                       # far hills
                t = min(1.0, (y - far[x]) / 40.0)
                c = lerp((104, 118, 170), (60, 72, 126), t)
            else:
                c = base
            px[x, y] = c
    draw_moon(px)
    draw_stars(px, rng, far)
    draw_pines(px, rng, far, scale=0.45, count=34, colour=(40, 54, 98), snow=(70, 84, 132))
    draw_pines(px, rng, near, scale=1.0, count=16, colour=(16, 34, 48), snow=(208, 220, 244),
               bottom=plain_top + 4)
    draw_snowfield(px, rng, plain_top)
    for cx, cy, cw, ch in CALM_AREAS:       # nothing but the sky's gradient there
        for y in range(cy, cy + ch):
            assert all(px[x, y] == sky(y) for x in range(cx, cx + cw)), (cx, cy)
    return img


def draw_moon(px):
    mx, my, r = 452, 74, 17
    for y in range(my - 60, my + 61):
        for x in range(mx - 60, mx + 61):
            d = math.hypot(x - mx, y - my)
            if d <= r:
                shadow = math.hypot(x - (mx + 6), y - (my - 3)) <= r - 1   # crescent
                px[x, y] = (120, 128, 160) if shadow else (244, 240, 214)
            elif d <= r + 1:
                px[x, y] = lerp(px[x, y], (244, 240, 214), 0.5)
            elif d < 60:
                t = (1.0 - (d - r) / (60.0 - r)) ** 2
                px[x, y] = lerp(px[x, y], (96, 104, 150), 0.55 * t)


def draw_stars(px, rng, far):
    for _ in range(260):
        x, y = rng.below(SCREEN_W), rng.below(320)
        size_roll = rng.below(100)
        bright = 110 + rng.below(146)
        tint = rng.below(3)
        if y > far[x] - 10 or in_calm(x, y, margin=4) or math.hypot(x - 452, y - 74) < 30:
            continue
        c = (bright, bright, min(255, bright + 30)) if tint else (min(255, bright + 20), bright, bright - 20)
        px[x, y] = c
        if size_roll >= 92:                 # a few bright ones with a cross
            half = lerp(px[x, y], sky(y), 0.55)
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                px[x + dx, y + dy] = half


def draw_pines(px, rng, line, scale, count, colour, snow, bottom=None):
    """Snow-laden pines standing on a hill line: four stacked triangular
    tiers, each with snow along its upper slopes."""
    for _ in range(count):
        x0 = rng.below(SCREEN_W)
        height = int((40 + rng.below(30)) * scale)
        foot = int(line[x0]) + int((6 + rng.below(14)) * scale)
        if bottom is not None:
            foot = min(foot, bottom)
        top = foot - height
        max_half = (10 + rng.below(4)) * scale
        tiers = 4
        for k in range(tiers):
            ty = top + int(k * height * 0.22)
            by = top + int((k + 1) * height * 0.25)
            half_base = max_half * (k + 3) / float(tiers + 2)
            for y in range(ty, by + 1):
                half = half_base * (y - ty + 1) / float(by - ty + 1)
                for x in range(int(round(x0 - half)), int(round(x0 + half)) + 1):
                    if not (0 <= x < SCREEN_W) or in_calm(x, y, margin=2):
                        continue
                    below_slope = (y - ty + 1) - abs(x - x0) * (by - ty + 1) / max(half_base, 0.5)
                    px[x, y] = snow if below_slope < 1.8 * scale + 0.4 else colour
        for y in range(top + int(height * 0.25 * tiers), foot + 1):     # trunk
            for x in range(x0 - int(scale), x0 + int(scale) + 1):
                if 0 <= x < SCREEN_W:
                    px[x, y] = (48, 34, 38)


def draw_snowfield(px, rng, plain_top):
    """Long soft drift lines on the snowfield and glints on the bank."""
    for _ in range(14):
        x0, length = rng.below(SCREEN_W), 60 + rng.below(120)
        y0 = plain_top + 6 + rng.below(GROUND_Y - plain_top - 14)
        for i in range(length):
            x = x0 + i
            bend = math.sin(math.pi * i / length)      # a low arc
            y = int(y0 - 2.0 * bend)
            if x < SCREEN_W:
                px[x, y] = lerp(px[x, y], (230, 238, 252), 0.3 * bend)
                px[x, y + 1] = lerp(px[x, y + 1], (96, 110, 166), 0.15 * bend)
    for _ in range(90):
        x, y = rng.below(SCREEN_W), GROUND_Y + 1 + rng.below(SCREEN_H - GROUND_Y - 1)
        px[x, y] = (255, 255, 255)


# ---------------------------------------------------------------------------
# Docs: contact sheet and a composed scene
# ---------------------------------------------------------------------------


def named_rects():
    """Every rectangle the game copies from the sheet, with a short label
    and where to put it ("top" inside, "bottom" inside, "above" outside)."""
    rects = [("%d" % d, (x, y) + SCORE_SIZE, "top") for d, (x, y) in enumerate(SCORE_CELLS)]
    rects.append(("progress", PROGRESS_ICON, "bottom"))
    for i, (x, y) in enumerate(OBJECT_FRAMES):
        rects.append(("obj %d" % i, (x, y) + FALLING_SIZE, "top"))
        rects.append(("haz %d" % i, (x + HAZARD_SHIFT, y) + FALLING_SIZE, "top"))
    rects.append(("power-up", POWERUP, "bottom"))
    for k, x in enumerate(OPPONENT_XS):
        rects.append(("opp R%d" % k, (x, OPPONENT_Y_RIGHT) + OPPONENT_SIZE, "top"))
        rects.append(("opp L%d" % k, (x, OPPONENT_Y_LEFT) + OPPONENT_SIZE, "bottom"))
    for r in THROWN_FIRST + THROWN_LATER:
        rects.append(("", r, "top"))
    rects.append(("thrown 4/21/38, 3/20/37; item", ITEM, "above"))
    for k, (x, y) in enumerate(PLAYER_RIGHT + PLAYER_LEFT):
        rects.append(("player %d" % k, (x, y) + PLAYER_SIZE, "bottom"))
    rects.append(("life", LIFE_ICON, "top"))
    rects.append(("crash a", CRASH_A, "top"))
    rects.append(("crash b", CRASH_B, "top"))
    rects.append(("banner", BANNER, "above"))
    rects.append(("pause sign", PAUSE_SIGN, "above"))
    for y in INTRO_ROWS:
        for d in range(10):
            rects.append(("", (INTRO_PITCH * d, y) + INTRO_SIZE, "top"))
    for _, rect, name in game_over_pictures():
        rects.append(("", rect, "top"))
    rects.append(("game over: title, score, level, best, mark", GAME_OVER_TITLE, "above"))
    return rects


RECT_COLOURS = {"obj": (90, 230, 120), "haz": (255, 100, 90), "opp": (255, 160, 60),
                "player": (255, 240, 90), "life": (255, 90, 220), "crash": (230, 40, 40),
                "power-up": (220, 120, 255), "progress": (60, 200, 255),
                "thrown": (150, 150, 255), "banner": (80, 230, 220),
                 "pause": (240, 240, 240)}

CONTACT_NOTES = [
    "sprites.png, scaled x3; grey checks are",
    "transparent (index 0).",
    "",
    "0-9: score digit tiles (opaque, 10 x 10);",
    "  pixel (0, 0) is the burst particle.",
    "obj 0-7: collectable, haz 0-7: hazard.",
    "opp R0-R4: snowman facing right (y 139),",
    "  L0-L4: facing left (y 175); 0 stands,",
    "  1-4 wind up; row 175 is shared.",
    "player 0-2 face right (x 299), 3-5 left",
    "  (x 260); column 299 is shared.",
    "life, crash a, crash b: cut from the",
    "  player frames.",
    "intro digits: rows 370, 392, 414, 436",
    "  are the four looks of the pulse.",
    "pause sign: shown centred on the dimmed",
    "  picture while the game is paused.",
    "game over (y 300): GAME OVER, SCORE,",
    "  LEVEL, BEST GAMES, this game's mark.",
]


def contact_sheet(sprites_img, scale=3):
    """The sheet scaled up, every rectangle outlined and named."""
    w, h = sprites_img.size
    keyed = sprites_img.convert("RGB")
    src, dst = sprites_img.load(), keyed.load()
    for y in range(h):
        for x in range(w):
            if not src[x, y]:       # transparent pixels as a grey checkerboard
                dst[x, y] = (88, 88, 96) if (x // 4 + y // 4) % 2 else (70, 70, 78)
    margin = 14
    canvas = Image.new("RGB", (w * scale + 2 * margin, h * scale + 2 * margin), (24, 24, 30))
    canvas.paste(keyed.resize((w * scale, h * scale), Image.NEAREST), (margin, margin))
    draw = ImageDraw.Draw(canvas)
    font = ImageFont.load_default()
    for label, (x, y, rw, rh), where in named_rects():
        key = label.split(" ")[0]
        colour = RECT_COLOURS.get(key, (200, 200, 120))
        x0, y0 = margin + x * scale, margin + y * scale
        draw.rectangle([x0, y0, x0 + rw * scale - 1, y0 + rh * scale - 1], outline=colour)
        if label:
            ty = {"top": y0 + 2, "bottom": y0 + rh * scale - 13, "above": y0 - 13}[where]
            draw.text((x0 + 3, ty), label, fill=colour, font=font)
    for k, text in enumerate(CONTACT_NOTES):
        draw.text((margin + 350 * scale, margin + 160 * scale + 14 * k), text,
                  fill=(230, 230, 230), font=font)
    return canvas


def composed_scene(sprites_img, background_img):
    """The backdrop with every kind of sprite where the game draws it."""
    scene = background_img.copy()
    pal = sprites_img.convert("RGB")
    keymask = sprites_img.point(lambda v: 255 if v else 0, "L")

    def blit(rect, x, y):
        sx, sy, w, h = rect
        box = (sx, sy, sx + w, sy + h)
        scene.paste(pal.crop(box), (x, y), keymask.crop(box))

    for k, d in enumerate((0, 4, 2)):                          # score 042
        blit(tuple(SCORE_CELLS[d]) + SCORE_SIZE, 540 + 10 * k, 14)
    for k in range(3):
        blit(PROGRESS_ICON, 8, 260 - 25 * k)
        blit(LIFE_ICON, 600, 30 + 27 * k)
    blit(POWERUP, 600, 170)
    for i, (x, y) in enumerate([(120, 60), (260, 150), (420, 250), (520, 120), (70, 330)]):
        fx, fy = OBJECT_FRAMES[(2 * i) % 8]
        blit((fx, fy) + FALLING_SIZE, x, y)
    for i, (x, y) in enumerate([(340, 90), (200, 290), (470, 330)]):
        fx, fy = OBJECT_FRAMES[(3 * i + 1) % 8]
        blit((fx + HAZARD_SHIFT, fy) + FALLING_SIZE, x, y)
    blit(POWERUP, 380, 180)
    blit(ITEM, 560, 260)
    blit(ITEM, 240, 380)
    blit((OPPONENT_XS[0], OPPONENT_Y_RIGHT) + OPPONENT_SIZE, 150, OPPONENT_Y)
    blit(THROWN_FIRST[1], 200, THROWN_Y)
    blit(PLAYER_RIGHT[0] + PLAYER_SIZE, 300, PLAYER_Y)
    blit(BANNER, 50, 200)
    blit((0, INTRO_ROWS[2]) + INTRO_SIZE, 550, 202)
    blit((2 * INTRO_PITCH, INTRO_ROWS[2]) + INTRO_SIZE, 570, 202)
    return scene


# ---------------------------------------------------------------------------
# Writing and checking
# ---------------------------------------------------------------------------


def build():
    return sheet_image(build_sheet()), backdrop()


def write_assets(out_dir):
    sprites_img, background_img = build()
    os.makedirs(out_dir, exist_ok=True)
    sprites_img.save(os.path.join(out_dir, SPRITES_FILE), bits=8, optimize=False)
    background_img.save(os.path.join(out_dir, BACKGROUND_FILE))
    return sprites_img, background_img


def compare(name, fresh_path, committed_path):
    """List the differences between a fresh and a committed image."""
    if not os.path.exists(committed_path):
        return ["%s: missing (%s)" % (name, committed_path)]
    a, b = Image.open(fresh_path), Image.open(committed_path)
    problems = []
    if a.mode != b.mode:
        problems.append("%s: mode %s, expected %s" % (name, b.mode, a.mode))
    if a.size != b.size:
        problems.append("%s: size %s, expected %s" % (name, b.size, a.size))
    if "transparency" in b.info:
        problems.append("%s: has a transparency chunk" % name)
    if problems:
        return problems
    if a.mode == "P" and a.getpalette() != b.getpalette():
        problems.append("%s: palette differs" % name)
    da, db = a.tobytes(), b.tobytes()
    if da != db:
        step = len(a.getbands())
        diff = [i // step for i in range(0, len(da), step) if da[i:i + step] != db[i:i + step]]
        w = a.size[0]
        shown = ", ".join("(%d, %d)" % (p % w, p // w) for p in diff[:8])
        problems.append("%s: %d pixels differ, first at %s" % (name, len(diff), shown))
    return problems


def check():
    with tempfile.TemporaryDirectory() as tmp:
        write_assets(tmp)
        problems = []
        for name in (SPRITES_FILE, BACKGROUND_FILE):
            problems += compare(name, os.path.join(tmp, name), os.path.join(ASSETS_DIR, name))
    for p in problems:
        print(p)
    if problems:
        print("assets are out of date: run tools/assets/make_assets.py and commit them")
        return 1
    print("assets match their sources")
    return 0


def main(argv):
    parser = argparse.ArgumentParser(description="Build Frostrun's images.")
    parser.add_argument("--out", metavar="DIR", help="where to write the two images "
                        "(default: the repo's assets/)")
    parser.add_argument("--check", action="store_true",
                        help="compare a fresh build with the committed assets")
    parser.add_argument("--docs", metavar="DIR", nargs="?", const=DOCS_DIR,
                        help="write the contact sheet and composed scene "
                        "(default DIR: docs/art/)")
    args = parser.parse_args(argv)
    if args.check:
        return check()
    if args.docs is None or args.out is not None:
        sprites_img, background_img = write_assets(args.out or ASSETS_DIR)
    else:
        sprites_img, background_img = build()
    if args.docs is not None:
        os.makedirs(args.docs, exist_ok=True)
        contact_sheet(sprites_img).save(os.path.join(args.docs, "contact-sheet.png"))
        composed_scene(sprites_img, background_img).save(os.path.join(args.docs, "scene.png"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
