#!/usr/bin/env bash
# The game's two images: the committed files must be exactly what
# tools/assets/make_assets.py makes from its sources, and stored in the PNG
# form the game loads (sprite sheet: 8-bit palette, no transparency chunk,
# index 0 black and no other entry black; backdrop: 24-bit RGB 640 x 480).
# Usage: check_assets.sh [REPO]   (default: the repo this script lives in)
set -u
repo=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$repo" || exit 1
py=/usr/bin/python3
passed=0
failed=0

run() {
    local name=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok - $name"
    else
        failed=$((failed + 1))
        echo "FAIL - $name"
    fi
}

png_format() {
    "$py" - <<'EOF'
import struct, sys

def chunks(path):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path + ": not a PNG"
    i, found = 8, {}
    while i < len(data):
        n, = struct.unpack(">I", data[i:i + 4])
        found.setdefault(data[i + 4:i + 8].decode("latin-1"), data[i + 8:i + 8 + n])
        i += 12 + n
    return found

problems = []
s = chunks("assets/sprites.png")
w, h, depth, ctype = struct.unpack(">IIBB", s["IHDR"][:10])
if (depth, ctype) != (8, 3):
    problems.append("sprites.png: depth %d colour type %d, want 8-bit palette" % (depth, ctype))
if w < 500 or h < 457:
    problems.append("sprites.png: %d x %d, want at least 500 x 457" % (w, h))
if "tRNS" in s:
    problems.append("sprites.png: has a tRNS chunk")
pal = s.get("PLTE", b"")
entries = [pal[k:k + 3] for k in range(0, len(pal), 3)]
if not entries or entries[0] != b"\0\0\0":
    problems.append("sprites.png: palette index 0 is not black")
black = [k for k, e in enumerate(entries) if k and max(e) < 8]
if black:
    problems.append("sprites.png: palette entries %s are (nearly) black" % black)
b = chunks("assets/background.png")
w, h, depth, ctype = struct.unpack(">IIBB", b["IHDR"][:10])
if (w, h, depth, ctype) != (640, 480, 8, 2):
    problems.append("background.png: %d x %d depth %d colour type %d, want 640 x 480 RGB"
                    % (w, h, depth, ctype))
for p in problems:
    print(p)
sys.exit(1 if problems else 0)
EOF
}

run "committed images match their generator" "$py" tools/assets/make_assets.py --check
run "PNG formats the game loads" png_format
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
