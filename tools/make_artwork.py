#!/usr/bin/python3
"""Draws every picture of the program into res/art/.

    tools/make_artwork.py              write the icons and bitmaps, then check them
    tools/make_artwork.py --check      only read the files back and check them
    tools/make_artwork.py --sheet F    also write an enlarged contact sheet PNG to F

Every picture is 4 bits per pixel.  Shapes are drawn as supersampled masks and
thresholded, so every edge is crisp and every pixel is exactly one palette
colour: nothing is anti-aliased into the transparent colours.  The output is
deterministic; no fonts of the machine are used (the lettering is the small
stroke font below, the preset digits are pixel art).
"""

import math
import os
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter

ART_DIR = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "art"))
SUPERSAMPLE = 4

# The 16 colours of a VGA display; every picture except the strip uses exactly these.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)
CLEAR = 16  # drawing-time index of an icon's transparent pixels; never written

LOGO_SIZE = (116, 60)
STRIP_SIZE = (20, 200)
PRESET_SIZE = (31, 21)
ICON_SIZES = (32, 16)
# The tray shows the small icon size (SM_CXSMICON): 16 at 96 DPI, 20 at 120, 24 at 144, 32 at 192.
TRAY_ICON_SIZES = (32, 24, 20, 16)
LOGO_KEY = (192, 192, 192)
PRESET_KEY = (0, 128, 128)


# --------------------------------------------------------------------------
# Masks and painting


class Shape:
    """A 1-bit shape drawn at supersampled resolution; coordinates are in pixels."""

    def __init__(self, size):
        self.size = size
        self.big = Image.new("L", (size[0] * SUPERSAMPLE, size[1] * SUPERSAMPLE), 0)
        self.draw = ImageDraw.Draw(self.big)

    def ellipse(self, cx, cy, rx, ry):
        s = SUPERSAMPLE
        self.draw.ellipse(((cx - rx) * s, (cy - ry) * s, (cx + rx) * s - 1, (cy + ry) * s - 1), fill=255)
        return self

    def polygon(self, points):
        self.draw.polygon([(x * SUPERSAMPLE, y * SUPERSAMPLE) for x, y in points], fill=255)
        return self

    def rect(self, x0, y0, x1, y1):
        s = SUPERSAMPLE
        self.draw.rectangle((x0 * s, y0 * s, x1 * s - 1, y1 * s - 1), fill=255)
        return self

    def stroke(self, points, width):
        """A polyline with round caps and joins: a disc stamped along the path."""
        r = width / 2.0
        for (x0, y0), (x1, y1) in zip(points, points[1:]):
            steps = max(1, int(math.hypot(x1 - x0, y1 - y0) * 4))
            for i in range(steps + 1):
                t = i / steps
                self.ellipse(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, r, r)
        return self

    def mask(self):
        small = self.big.resize(self.size, Image.Resampling.BOX)
        return small.point(lambda v: 255 if v >= 128 else 0)


def arc(cx, cy, rx, ry, a0, a1, rot=0.0):
    """Points on an ellipse from angle a0 to a1 (degrees, y down), the ellipse turned by rot."""
    n = max(8, int(abs(a1 - a0) / 4))
    cr, sr = math.cos(math.radians(rot)), math.sin(math.radians(rot))
    pts = []
    for i in range(n + 1):
        a = math.radians(a0 + (a1 - a0) * i / n)
        x, y = rx * math.cos(a), ry * math.sin(a)
        pts.append((cx + x * cr - y * sr, cy + x * sr + y * cr))
    return pts


def grow(mask):
    """The mask plus its 8 neighbours: room for a 1-pixel outline."""
    return mask.filter(ImageFilter.MaxFilter(3))


def shift(mask, dx, dy):
    out = Image.new("L", mask.size, 0)
    out.paste(mask, (dx, dy))
    return out


def minus(a, b):
    return ImageChops.subtract(a, b)


def union(a, b):
    return ImageChops.lighter(a, b)


def fill(img, mask, colour):
    img.paste(colour, (0, 0), mask)


def new_picture(size, background, palette=VGA):
    img = Image.new("P", size, background)
    flat = []
    for rgb in palette:
        flat.extend(rgb)
    img.putpalette(flat)
    return img


# --------------------------------------------------------------------------
# Stroke font: centre lines in units of the cap height (0 = top, 1 = baseline);
# a path of one point is a square dot that gives a stem a sharp corner.

XH = 0.68  # x-height of the lower-case letters


def _glyphs():
    top = 1 - XH
    return {
        "S": (0.62, [arc(0.31, 0.25, 0.31, 0.25, -25, -270) + arc(0.31, 0.75, 0.31, 0.25, -90, 155)]),
        "R": (0.62, [[(0, 0)], [(0, 1), (0, 0), (0.32, 0)] + arc(0.32, 0.25, 0.28, 0.25, -90, 90) + [(0, 0.5)],
                     [(0.3, 0.5), (0.62, 1)]]),
        "Q": (0.86, [arc(0.43, 0.5, 0.43, 0.5, 0, 360), [(0.55, 0.72), (0.88, 1.0)]]),
        "D": (0.64, [[(0, 0)], [(0, 1)], [(0, 0), (0, 1), (0.28, 1)] + arc(0.28, 0.5, 0.36, 0.5, 90, -90) + [(0, 0)]]),
        "3": (0.56, [arc(0.28, 0.25, 0.28, 0.25, -155, 90) + arc(0.28, 0.75, 0.28, 0.25, -90, 155)]),
        "o": (0.58, [arc(0.29, 1 - XH / 2, 0.29, XH / 2, 0, 360)]),
        "u": (0.54, [[(0, top), (0, 0.72)] + arc(0.27, 0.72, 0.27, 0.28, 180, 0) + [(0.54, top)],
                     [(0.54, top), (0.54, 1)]]),
        "n": (0.54, [[(0, 1), (0, top)],
                     [(0, top + 0.28)] + arc(0.27, top + 0.28, 0.27, 0.28, 180, 360) + [(0.54, 1)]]),
        "d": (0.58, [arc(0.29, 1 - XH / 2, 0.29, XH / 2, 0, 360), [(0.58, 0), (0.58, 1)]]),
    }


GLYPHS = _glyphs()


def text_mask(size, x, y, text, height, width, spacing):
    """Lettering as a mask; (x, y) is the top-left corner of a capital."""
    shape = Shape(size)
    unit = height - width
    for ch in text:
        advance, paths = GLYPHS[ch]
        for path in paths:
            pts = [(x + width / 2 + px * unit, y + width / 2 + py * unit) for px, py in path]
            if len(pts) == 1:
                shape.rect(pts[0][0] - width / 2, pts[0][1] - width / 2, pts[0][0] + width / 2, pts[0][1] + width / 2)
            else:
                shape.stroke(pts, width)
        x += advance * unit + width + spacing
    return shape.mask()


def text_width(text, height, width, spacing):
    unit = height - width
    return sum(GLYPHS[ch][0] * unit + width for ch in text) + spacing * (len(text) - 1)


def raised_text(img, mask, face, shadow, highlight=None, depth=2):
    """Lettering with a solid drop shadow for depth and, optionally, a lit upper-left edge."""
    for d in range(depth, 0, -1):
        fill(img, shift(mask, d, d), shadow)
    fill(img, mask, face)
    if highlight is not None:
        fill(img, minus(mask, shift(mask, 1, 1)), highlight)


# --------------------------------------------------------------------------
# Emblems, shared by the logos and the tray icons


def draw_globe(img, cx, cy, r, vivid=True, ring_width=None, tilt=-16):
    """A shaded ball inside a tilted ring: sound all around the listener."""
    size = img.size
    rw = ring_width if ring_width is not None else max(1.5, r * 0.22)
    ring_rx, ring_ry = r * 1.5, r * 0.42
    ring_col, ring_edge = (YELLOW, OLIVE) if vivid else (SILVER, GREY)
    body = (NAVY, BLUE, AQUA, WHITE) if vivid else (GREY, SILVER, WHITE, WHITE)

    ball = Shape(size).ellipse(cx, cy, r, r).mask()
    back = Shape(size).stroke(arc(cx, cy, ring_rx, ring_ry, 180, 360, tilt), rw).mask()
    front = Shape(size).stroke(arc(cx, cy, ring_rx, ring_ry, 0, 180, tilt), rw).mask()
    whole = grow(union(ball, union(back, front)))

    fill(img, whole, BLACK)
    fill(img, back, ring_col)
    fill(img, ball, body[0])
    fill(img, Shape(size).ellipse(cx - r * 0.14, cy - r * 0.14, r * 0.8, r * 0.8).mask(), body[1])
    fill(img, Shape(size).ellipse(cx - r * 0.38, cy - r * 0.4, r * 0.34, r * 0.28).mask(), body[2])
    if r >= 8:
        fill(img, Shape(size).ellipse(cx - r * 0.46, cy - r * 0.48, r * 0.14, r * 0.12).mask(), body[3])
    # the front of the ring crosses the ball: keep a dark seam between them
    fill(img, minus(grow(front), minus(whole, ball)), BLACK)
    fill(img, front, ring_col)
    if r >= 8:
        fill(img, minus(front, shift(front, 0, -1)), ring_edge)


def draw_cube(img, cx, cy, s, vivid=True):
    """An isometric cube lit from above: sound filling a room."""
    size = img.size
    k = 0.866 * s
    top = [(cx, cy - s), (cx + k, cy - s / 2), (cx, cy), (cx - k, cy - s / 2)]
    left = [(cx - k, cy - s / 2), (cx, cy), (cx, cy + s), (cx - k, cy + s / 2)]
    right = [(cx, cy), (cx + k, cy - s / 2), (cx + k, cy + s / 2), (cx, cy + s)]
    hexagon = [(cx, cy - s), (cx + k, cy - s / 2), (cx + k, cy + s / 2),
               (cx, cy + s), (cx - k, cy + s / 2), (cx - k, cy - s / 2)]
    colours = (YELLOW, RED, MAROON) if vivid else (WHITE, SILVER, GREY)
    whole = grow(Shape(size).polygon(hexagon).mask())
    fill(img, whole, BLACK)
    for face, colour in zip((top, left, right), colours):
        fill(img, Shape(size).polygon(face).mask(), colour)


def draw_waves(img, cx, cy, radii, width, span, colour, shadow, sides=(0,)):
    """Concentric sound arcs around (cx, cy), to the right (0) and/or left (180)."""
    size = img.size
    waves = Image.new("L", size, 0)
    for side in sides:
        for r in radii:
            waves = union(waves, Shape(size).stroke(arc(cx, cy, r, r, side - span, side + span), width).mask())
    fill(img, grow(waves), shadow)
    fill(img, waves, colour)


# --------------------------------------------------------------------------
# The pictures


def logo_srs():
    img = new_picture(LOGO_SIZE, SILVER)
    draw_globe(img, 27, 30, 15)
    raised_text(img, text_mask(LOGO_SIZE, 55, 9, "SRS", 25, 4.8, 2.5), BLUE, NAVY, AQUA, depth=2)
    raised_text(img, text_mask(LOGO_SIZE, 87, 40, "3D", 13, 2.8, 1.5), RED, MAROON, depth=1)
    return img


def logo_qsound():
    img = new_picture(LOGO_SIZE, SILVER)
    draw_waves(img, 58, 18, (17, 23), 2.6, 28, GREEN, BLACK, sides=(0, 180))
    draw_cube(img, 58, 18, 12)
    height, width, spacing = 19, 3.6, 1.5
    x = (LOGO_SIZE[0] - text_width("QSound", height, width, spacing)) / 2
    raised_text(img, text_mask(LOGO_SIZE, x, 37, "QSound", height, width, spacing), RED, MAROON, YELLOW, depth=2)
    return img


def strip():
    """A deep blue band shading into teal, with a faint wave running down it.
    Its own 16 shades: a gradient cannot be drawn in the VGA colours."""
    top, bottom = (0, 16, 80), (0, 120, 128)
    shades = [tuple(round(a + (b - a) * i / 13) for a, b in zip(top, bottom)) for i in range(14)]
    palette = [(0, 0, 0)] + shades + [(112, 208, 216)]
    img = new_picture(STRIP_SIZE, 1, palette)
    px = img.load()
    w, h = STRIP_SIZE
    for y in range(h):
        base = 3 + (y * 10) // h  # shades 3..12 of 1..14 leave room for the pattern
        wave = w / 2 - 1 + 4.5 * math.sin(2 * math.pi * y / 50)
        for x in range(w):
            v = base
            if x == 0:
                v = base + 2  # lit left edge
            elif x >= w - 2:
                v = base - 3 + (x - (w - 2))  # shadow on the side towards the panel
            elif abs(x - wave) < 0.8:
                v = base + 1
            px[x, y] = max(1, min(14, v))
    return img


DIGITS = {
    "1": ["..##..",
          ".###..",
          "####..",
          "..##..",
          "..##..",
          "..##..",
          "..##..",
          "..##..",
          "######"],
    "2": [".####.",
          "##..##",
          "....##",
          "...##.",
          "..##..",
          ".##...",
          "##....",
          "##....",
          "######"],
    "3": [".####.",
          "##..##",
          "....##",
          "....##",
          "..###.",
          "....##",
          "....##",
          "##..##",
          ".####."],
}

# A round lamp 11 pixels across: o outline, f body, s shade, h highlight.
LAMP = ["...ooooo...",
        ".oofffffoo.",
        ".ofhhffffso",
        "ofhhfffffso",
        "ofhffffffso",
        "offffffffso",
        "offffffffso",
        "offfffffsso",
        ".offfffssso",
        ".oossssssoo",
        "...ooooo..."]
LAMP_COLOURS = {
    "normal": {"o": BLACK, "f": RED, "s": MAROON, "h": WHITE},
    "sel": {"o": BLACK, "f": LIME, "s": GREEN, "h": WHITE},
    "dis": {"o": GREY, "f": SILVER, "s": GREY, "h": WHITE},
}


def blit(px, pattern, x0, y0, colours):
    for y, row in enumerate(pattern):
        for x, c in enumerate(row):
            if c in colours:
                px[x0 + x, y0 + y] = colours[c]


def preset(number, state):
    """Lamp on the left, the underlined digit (the mnemonic) on the right."""
    img = new_picture(PRESET_SIZE, TEAL)
    px = img.load()
    blit(px, LAMP, 4, 5, LAMP_COLOURS[state])
    digit = DIGITS[str(number)] + ["", "######"]
    if state == "dis":
        # disabled text looks engraved: a white copy one pixel down and right
        blit(px, digit, 20, 5, {"#": WHITE})
        blit(px, digit, 19, 4, {"#": GREY})
    else:
        blit(px, digit, 19, 4, {"#": BLACK})
    return img


def icon_canvas(n):
    """An all-transparent icon; the 17th palette entry only marks CLEAR while drawing."""
    return new_picture((n, n), CLEAR, VGA + [(255, 0, 255)])


def opaque_of(img):
    """255 where an icon is drawn, 0 where it stays transparent."""
    plane = Image.new("L", img.size)
    plane.putdata(list(img.getdata()))
    return plane.point(lambda v: 0 if v == CLEAR else 255)


def slash(img, n):
    """The red stroke across a switched-off tray picture."""
    u = n / 32
    line = [(5 * u, 27 * u), (27 * u, 5 * u)] if n > 16 else [(2.5, 13.5), (13.5, 2.5)]
    width = 4.2 * u if n > 16 else 2.2
    m = Shape(img.size).stroke(line, width).mask()
    if n > 16:
        fill(img, grow(m), BLACK)
    fill(img, m, RED)


def icon_app(n):
    """A loudspeaker sending out raised sound waves."""
    img = icon_canvas(n)
    u = n / 32
    box = Shape(img.size).rect(2 * u, 11 * u, 8 * u, 21 * u).mask()
    cone = Shape(img.size).polygon([(8 * u, 11 * u), (15 * u, 4 * u), (15 * u, 28 * u), (8 * u, 21 * u)]).mask()
    fill(img, grow(union(box, cone)), BLACK)
    fill(img, box, GREY)
    fill(img, cone, SILVER)
    if n > 16:
        fill(img, Shape(img.size).polygon([(9, 12), (14, 7), (14, 10), (9, 15)]).mask(), WHITE)
        draw_waves(img, 14, 16, (6.5, 11, 15.5), 2.4, 44, AQUA, NAVY)
    else:
        draw_waves(img, 7, 8, (3.8, 6.6), 1.25, 44, AQUA, NAVY)
    return img


def icon_tray(n, technology, on):
    img = icon_canvas(n)
    u = n / 32
    if technology == "srs":
        if n > 16:
            draw_globe(img, n / 2, n / 2, 9.6 * u, vivid=on, ring_width=max(1.4, 2.6 * u))
        else:
            draw_globe(img, 8, 8, 4.9, vivid=on, ring_width=1.3, tilt=0)
    else:
        draw_cube(img, 16 * u, 16 * u, 13 * u if n > 16 else 6.8, vivid=on)
    if not on:
        slash(img, n)
    return img


# --------------------------------------------------------------------------
# File formats


def _row_4bpp(indices):
    data = bytearray()
    for i in range(0, len(indices), 2):
        lo = indices[i + 1] if i + 1 < len(indices) else 0
        data.append((indices[i] << 4) | lo)
    while len(data) % 4:
        data.append(0)
    return bytes(data)


def _colour_table(palette):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)


def _palette_of(img):
    flat = img.getpalette()[:48]
    return [tuple(flat[i:i + 3]) for i in range(0, 48, 3)]


def _rle4(rows):
    """BI_RLE4 in encoded runs only: each run repeats a pair of pixels; rows bottom-up."""
    data = bytearray()
    for row in rows:
        x = 0
        while x < len(row):
            a = row[x]
            b = row[x + 1] if x + 1 < len(row) else a
            n = 1
            while x + n < len(row) and n < 255 and row[x + n] == (b if n % 2 else a):
                n += 1
            data += bytes([n, (a << 4) | b])
            x += n
        data += b"\x00\x00"  # end of line
    return bytes(data + b"\x00\x01")  # end of bitmap


def write_bmp(path, img):
    """A 4-bit, bottom-up DIB with a 16-entry colour table: run-length encoded (BI_RLE4)
    where that is smaller, since the program's size is what the pictures cost most."""
    w, h = img.size
    px = img.load()
    rows = [[px[x, y] for x in range(w)] for y in range(h - 1, -1, -1)]
    bits = b"".join(_row_4bpp(row) for row in rows)
    compression = 0
    rle = _rle4(rows)
    if len(rle) < len(bits):
        bits, compression = rle, 2
    table = _colour_table(_palette_of(img))
    offset = 14 + 40 + len(table)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, compression, len(bits), 2835, 2835, 16, 16)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset) + info + table + bits)


def write_ico(path, images):
    """A 4-bit icon file: each image is a 16-colour XOR bitmap and a 1-bit AND mask."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for img in images:
        w, h = img.size
        px, opaque = img.load(), opaque_of(img).load()
        xor, andmask = b"", b""
        for y in range(h - 1, -1, -1):
            xor += _row_4bpp([px[x, y] if opaque[x, y] else 0 for x in range(w)])
            row = bytearray((w + 31) // 32 * 4)
            for x in range(w):
                if not opaque[x, y]:
                    row[x // 8] |= 0x80 >> (x % 8)
            andmask += bytes(row)
        info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 4, 0, len(xor) + len(andmask), 0, 0, 0, 0)
        blob = info + _colour_table(VGA) + xor + andmask
        entries.append(struct.pack("<BBBBHHII", w % 256, h % 256, 16, 0, 1, 4, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs))


def read_bmp(path):
    """(width, height, bit count, colour-used count, palette, rows of colours top-down)."""
    data = open(path, "rb").read()
    magic, size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    assert magic == b"BM" and size == len(data), path
    (hsize, w, h, planes, bpp, compression, _, _, _, used, _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    assert hsize == 40 and planes == 1 and compression in (0, 2) and h > 0, path + ": not a bottom-up DIB"
    palette = [tuple(reversed(data[54 + 4 * i:57 + 4 * i])) for i in range(16)]
    assert offset == 54 + 64, path
    if compression == 2:
        return w, h, bpp, used, palette, _decode_rle4(data[offset:], w, h, palette)
    return w, h, bpp, used, palette, _decode_4bpp(data[offset:], w, h, palette)


def _decode_rle4(bits, w, h, palette):
    """Encoded runs, end of line and end of bitmap; every pixel must be given exactly once."""
    rows, row, i = [], [], 0
    while True:
        n, c = bits[i], bits[i + 1]
        i += 2
        if n:
            row += [c >> 4 if k % 2 == 0 else c & 15 for k in range(n)]
        elif c == 0:
            assert len(row) == w, "RLE4 row of %d pixels" % len(row)
            rows.append([palette[v] for v in row])
            row = []
        elif c == 1:
            break
        else:
            raise AssertionError("RLE4 escape %d is not written here" % c)
    assert len(rows) == h and i == len(bits), "RLE4 rows or length"
    return rows[::-1]


def _decode_4bpp(bits, w, h, palette):
    stride = (w * 4 + 31) // 32 * 4
    rows = []
    for y in range(h):
        row = bits[(h - 1 - y) * stride:(h - y) * stride]
        rows.append([palette[(row[x // 2] >> (4 if x % 2 == 0 else 0)) & 15] for x in range(w)])
    return rows


def read_ico(path):
    """List of (width, height, bit count, colour count, rows of colours or None where transparent)."""
    data = open(path, "rb").read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert reserved == 0 and kind == 1, path
    images = []
    for i in range(count):
        w, h, colours, _, planes, bpp, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        hsize, bw, bh, _, bbpp, compression = struct.unpack_from("<IiiHHI", data, offset)
        assert hsize == 40 and (bw, bh) == (w, 2 * h) and bbpp == bpp and compression == 0, path
        palette = [tuple(reversed(data[offset + 40 + 4 * j:offset + 43 + 4 * j])) for j in range(16)]
        xor_at = offset + 40 + 64
        rows = _decode_4bpp(data[xor_at:], w, h, palette)
        stride = (w + 31) // 32 * 4
        and_at = xor_at + (w * 4 + 31) // 32 * 4 * h
        assert and_at + stride * h == offset + length, path + ": size of image data"
        for y in range(h):
            mrow = data[and_at + (h - 1 - y) * stride:]
            rows[y] = [None if mrow[x // 8] & (0x80 >> (x % 8)) else c for x, c in enumerate(rows[y])]
        images.append((w, h, bpp, colours, rows))
    return images


# --------------------------------------------------------------------------
# Driver


def pictures():
    """File name -> (kind, image or list of images)."""
    out = {
        "app.ico": [icon_app(n) for n in ICON_SIZES],
        "srs_on.ico": [icon_tray(n, "srs", True) for n in TRAY_ICON_SIZES],
        "srs_off.ico": [icon_tray(n, "srs", False) for n in TRAY_ICON_SIZES],
        "qsound_on.ico": [icon_tray(n, "qsound", True) for n in TRAY_ICON_SIZES],
        "qsound_off.ico": [icon_tray(n, "qsound", False) for n in TRAY_ICON_SIZES],
        "srs_logo.bmp": logo_srs(),
        "qsound_logo.bmp": logo_qsound(),
        "strip.bmp": strip(),
    }
    for number in (1, 2, 3):
        for state in ("normal", "sel", "dis"):
            out["preset%d_%s.bmp" % (number, state)] = preset(number, state)
    return out


def write_all():
    for name, picture in pictures().items():
        path = os.path.join(ART_DIR, name)
        if name.endswith(".ico"):
            write_ico(path, picture)
        else:
            write_bmp(path, picture)


def near_grey(c):
    """A colour that would show as a halo around the logo against the grey it is keyed on."""
    return c != LOGO_KEY and max(abs(v - k) for v, k in zip(c, LOGO_KEY)) <= 48


def check_all():
    failures = []

    def expect(ok, what):
        if not ok:
            failures.append(what)

    for name in sorted(os.listdir(ART_DIR)):
        path = os.path.join(ART_DIR, name)
        if name.endswith(".bmp"):
            w, h, bpp, used, palette, rows = read_bmp(path)
            expect(bpp == 4 and used == 16, "%s: %d bpp, %d colours used" % (name, bpp, used))
            if name.endswith("_logo.bmp"):
                expect((w, h) == LOGO_SIZE, name + ": size")
                expect(rows[0][0] == LOGO_KEY, name + ": top-left is not the grey key")
                expect(not any(near_grey(c) for row in rows for c in row), name + ": near-grey pixels")
                expect(sum(c == LOGO_KEY for row in rows for c in row) < w * h * 0.8, name + ": almost empty")
                border = rows[0] + rows[-1] + [row[0] for row in rows] + [row[-1] for row in rows]
                expect(all(c == LOGO_KEY for c in border), name + ": drawing touches the edge")
            elif name.startswith("preset"):
                expect((w, h) == PRESET_SIZE, name + ": size")
                expect(rows[0][0] == PRESET_KEY, name + ": top-left is not teal")
                lamp = {"normal": (255, 0, 0), "sel": (0, 255, 0), "dis": (192, 192, 192)}
                state = name[len("presetN_"):-4]
                expect(rows[10][9] == lamp[state], name + ": lamp colour")
                edge = rows[0] + rows[1] + rows[-1] + rows[-2] + [r[x] for r in rows for x in (0, 1, w - 2, w - 1)]
                expect(all(c == PRESET_KEY for c in edge), name + ": drawing under the button's edge")
            elif name == "strip.bmp":
                expect((w, h) == STRIP_SIZE, name + ": size")
            else:
                expect(False, name + ": unexpected file")
        elif name.endswith(".ico"):
            images = read_ico(path)
            sizes = [(w, h) for w, h, _, _, _ in images]
            expect(sizes == [(n, n) for n in icon_sizes(name)], "%s: sizes %s" % (name, sizes))
            for w, h, bpp, colours, rows in images:
                expect(bpp == 4 and colours == 16, "%s: %dx%d is %d bpp" % (name, w, h, bpp))
                expect(rows[0][0] is None and rows[-1][-1] is None, "%s: %dx%d corner not transparent" % (name, w, h))
                drawn = sum(c is not None for row in rows for c in row)
                expect(drawn > w * h // 4, "%s: %dx%d nearly empty" % (name, w, h))
        else:
            expect(False, name + ": unexpected file")
        expect(_matches_pillow(path), name + ": Pillow decodes it differently")
    expected = set(pictures_names())
    present = set(os.listdir(ART_DIR))
    expect(expected == present, "files: missing %s, extra %s" % (expected - present, present - expected))
    for f in failures:
        print("FAIL " + f)
    return not failures


def _matches_pillow(path):
    """Our reader against Pillow's independent decoder, image by image."""
    with Image.open(path) as pil:
        if path.endswith(".bmp"):
            ours = [read_bmp(path)[5]]
            theirs = [pil.convert("RGB")]
        else:
            ours = [rows for _, _, _, _, rows in read_ico(path)]
            sizes = icon_sizes(os.path.basename(path))
            theirs = [pil.ico.getimage((n, n)).convert("RGBA") for n in sizes]
    for rows, image in zip(ours, theirs):
        got = list(image.getdata())
        want = [c for row in rows for c in row]
        if image.mode == "RGBA":
            got = [None if a == 0 else (r, g, b) for r, g, b, a in got]
        if got != want:
            return False
    return True


def icon_sizes(name):
    return ICON_SIZES if name == "app.ico" else TRAY_ICON_SIZES


def pictures_names():
    names = ["app.ico", "srs_on.ico", "srs_off.ico", "qsound_on.ico", "qsound_off.ico",
             "srs_logo.bmp", "qsound_logo.bmp", "strip.bmp"]
    return names + ["preset%d_%s.bmp" % (n, s) for n in (1, 2, 3) for s in ("normal", "sel", "dis")]


def contact_sheet(path):
    """Every picture read back from disk, enlarged, on a checkerboard for the transparent parts."""
    tiles = []
    for name in pictures_names():
        full = os.path.join(ART_DIR, name)
        if name.endswith(".ico"):
            for w, h, _, _, rows in read_ico(full):
                tiles.append((name, rows, 8 if w <= 24 else 4))
        else:
            w, h, _, _, _, rows = read_bmp(full)
            tiles.append((name, rows, 3 if w > 100 else 5 if h < 30 else 2))
    sheet = Image.new("RGB", (960, 1300), (255, 255, 255))
    draw = ImageDraw.Draw(sheet)
    x, y, line_h = 8, 8, 0
    tiles.sort(key=lambda t: len(t[1]) * t[2])  # keeps the tall strip from crowding a row
    for name, rows, scale in tiles:
        h, w = len(rows), len(rows[0])
        tile = Image.new("RGB", (w * scale, h * scale))
        for ty, row in enumerate(rows):
            for tx, c in enumerate(row):
                if c is None:
                    c = (230, 230, 230) if (tx + ty) % 2 else (170, 170, 170)
                tile.paste(c, (tx * scale, ty * scale, (tx + 1) * scale, (ty + 1) * scale))
        if x + tile.width > sheet.width - 8:
            x, y, line_h = 8, y + line_h + 22, 0
        sheet.paste(tile, (x, y + 14))
        draw.text((x, y), name, fill=(0, 0, 0))
        x += max(tile.width, 90) + 12
        line_h = max(line_h, tile.height)
    # and once more at their real size, on the grey of a dialog
    x, y = 8, y + line_h + 30
    draw.rectangle((0, y - 6, sheet.width, sheet.height), fill=(192, 192, 192))
    for name, rows, _ in tiles:
        h, w = len(rows), len(rows[0])
        if x + w > sheet.width - 8:
            x, y = 8, y + 66
        tile = Image.new("RGB", (w, h), (192, 192, 192))
        tile.putdata([c if c is not None else (192, 192, 192) for row in rows for c in row])
        sheet.paste(tile, (x, y))
        x += w + 6
    sheet.save(path)


def main(argv):
    sheet = None
    if "--sheet" in argv:
        sheet = argv[argv.index("--sheet") + 1]
    if "--check" not in argv:
        write_all()
    ok = check_all()
    if sheet:
        contact_sheet(sheet)
    print("artwork " + ("ok" if ok else "FAILED"))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
