#!/usr/bin/python3
"""Make Frostrun's desktop icons from the sprite sheet.

The icon is the snowflake tile of the progress column (sprites.png at
20, 0, 20 x 20), scaled up by whole pixels and centred on a transparent
square; palette index 0 (the game's transparent colour) stays transparent.

Usage:
  make_icon.py           write frostrun-48.png and frostrun-64.png here
  make_icon.py --check   make them afresh and compare pixel by pixel with the
                         committed ones; exit 1 when they differ

Run it with Debian's /usr/bin/python3 (python3-pil).
"""

import os
import sys

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
SHEET = os.path.join(os.path.dirname(HERE), "assets", "sprites.png")
TILE = (20, 0, 40, 20)  # left, top, right, bottom
SIZES = {48: 2, 64: 3}  # icon size: scale


def icon(size, scale):
    sheet = Image.open(SHEET)
    tile = sheet.crop(TILE)
    rgba = tile.convert("RGBA")
    rgba.putdata([(0, 0, 0, 0) if index == 0 else pixel
                  for index, pixel in zip(tile.getdata(), rgba.getdata())])
    big = rgba.resize((rgba.width * scale, rgba.height * scale), Image.NEAREST)
    canvas = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    canvas.paste(big, ((size - big.width) // 2, (size - big.height) // 2))
    return canvas


def main():
    check = sys.argv[1:] == ["--check"]
    differ = []
    for size, scale in SIZES.items():
        path = os.path.join(HERE, "frostrun-%d.png" % size)
        made = icon(size, scale)
        if not check:
            made.save(path, optimize=True)
        elif list(Image.open(path).convert("RGBA").getdata()) != list(made.getdata()):
            differ.append(path)
    for path in differ:
        print("%s differs from what make_icon.py makes" % path)
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main())
