#!/usr/bin/env python3
"""Draws Ordfalk's three images and writes them under resources/.

    tools/draw-images.py                write resources/Ordfalk.ico, Tray.ico, OK.bmp
    tools/draw-images.py --preview DIR  also write enlarged copies (.ppm) to DIR to look at

The build uses the committed files; run this by hand after changing a drawing,
look at the result, and commit both. Output is byte-for-byte reproducible.

Every image uses the 16-colour Windows VGA palette at 4 bits per pixel. The
16 x 16 drawings are pixel art below; the application icon's 32 and 48 pixel
sizes are drawn from shapes (a rounded square, letters as thick strokes).
"""

import argparse
import os
import struct
import sys

# The standard 16-colour Windows palette, in index order, as (R, G, B).
PALETTE = [
    (0x00, 0x00, 0x00),  # 0 black
    (0x80, 0x00, 0x00),  # 1 dark red (maroon)
    (0x00, 0x80, 0x00),  # 2 green
    (0x80, 0x80, 0x00),  # 3 olive
    (0x00, 0x00, 0x80),  # 4 navy
    (0x80, 0x00, 0x80),  # 5 purple
    (0x00, 0x80, 0x80),  # 6 teal
    (0xC0, 0xC0, 0xC0),  # 7 silver
    (0x80, 0x80, 0x80),  # 8 grey
    (0xFF, 0x00, 0x00),  # 9 red
    (0x00, 0xFF, 0x00),  # 10 lime (bright green)
    (0xFF, 0xFF, 0x00),  # 11 yellow
    (0x00, 0x00, 0xFF),  # 12 blue
    (0xFF, 0x00, 0xFF),  # 13 magenta
    (0x00, 0xFF, 0xFF),  # 14 cyan
    (0xFF, 0xFF, 0xFF),  # 15 white
]
BLACK, MAROON, GREEN, OLIVE = 0, 1, 2, 3
LIME, YELLOW, MAGENTA, WHITE = 10, 11, 13, 15
CLEAR = None  # transparent pixel of an icon (AND mask bit set)

# Letters used in the pixel art below.
ART_COLOURS = {
    ".": CLEAR, "K": BLACK, "R": MAROON, "G": GREEN, "O": OLIVE,
    "L": LIME, "Y": YELLOW, "M": MAGENTA, "W": WHITE,
}


def from_art(rows):
    """Turns rows of letters (ART_COLOURS) into rows of palette indices."""
    width = len(rows[0])
    assert all(len(r) == width for r in rows), "ragged pixel art"
    return [[ART_COLOURS[c] for c in r] for r in rows]


# --- Drawings -----------------------------------------------------------------

# Tray icon: a clipboard. Olive board, yellow clip framed in black at the top
# centre, a white sheet with two lines of text at the lower right.
TRAY_16 = from_art([
    ".....KKKKKK.....",
    "..KKKKYYYYKKKK..",
    ".KOOOKYYYYKOOOK.",
    "KOOOOKKKKKKOOOOK",
    "KOOOOOOOOOOOOOOK",
    "KOOOOOOOOOOOOOOK",
    "KOOOOOOOOOOOOOOK",
    "KOOOOOOOOOOOOOOK",
    "KOOOOOWWWWWWWOOK",
    "KOOOOOWKKKKKWOOK",
    "KOOOOOWWWWWWWOOK",
    "KOOOOOWKKKWWWOOK",
    "KOOOOOWWWWWWWOOK",
    "KOOOOOOOOOOOOOOK",
    ".KOOOOOOOOOOOOK.",
    "..KKKKKKKKKKKK..",
])

# OK button image: a bright green tick outlined in black on magenta, which the
# button draws transparent (the bottom-left pixel names that colour).
OK_16 = from_art([
    "MMMMMMMMMMMMMMMM",
    "MMMMMMMMMMMMMMMM",
    "MMMMMMMMMMMMMKKM",
    "MMMMMMMMMMMMKLLK",
    "MMMMMMMMMMMKLLLK",
    "MMMMMMMMMMKLLLKM",
    "MMMMMMMMMKLLLKMM",
    "MKKMMMMMKLLLKMMM",
    "KLLKMMMKLLLKMMMM",
    "KLLLKMKLLLKMMMMM",
    "MKLLLKLLLKMMMMMM",
    "MMKLLLLLKMMMMMMM",
    "MMMKLLLKMMMMMMMM",
    "MMMMKLKMMMMMMMMM",
    "MMMMMKMMMMMMMMMM",
    "MMMMMMMMMMMMMMMM",
])

# Application icon at 16 x 16: hand-fitted letters read better than scaled ones.
APP_16 = from_art([
    "..KKKKKKKKKKKK..",
    ".KGGGGGGGGGGGGK.",
    "KGGGGGGGGGGGGGGK",
    "KGGGGGGGGGGGGGGK",
    "KGRRGGRGRRGGGRRK",
    "KGRRGRRGRRGGGRRK",
    "KGRRRRGGRRGGGRRK",
    "KGRRRGGGGRRGRRGK",
    "KGRRRGGGGRRGRRGK",
    "KGRRRRGGGGRRRGGK",
    "KGRRGRRGGGRRRGGK",
    "KGRRGGRGGGGRGGGK",
    "KGGGGGGGGGGGGGGK",
    "KGGGGGGGGGGGGGGK",
    ".KGGGGGGGGGGGGK.",
    "..KKKKKKKKKKKK..",
])


def inside_rounded_square(x, y, size, radius):
    """True when the centre of pixel (x, y) lies in the rounded square."""
    cx, cy = x + 0.5, y + 0.5
    # Distance from the nearest corner circle's centre, when in a corner zone.
    qx = min(max(cx, radius), size - radius)
    qy = min(max(cy, radius), size - radius)
    return (cx - qx) ** 2 + (cy - qy) ** 2 <= radius * radius


def near_segment(px, py, seg, half):
    """True when (px, py) lies within `half` of the segment ((x1, y1), (x2, y2))."""
    (x1, y1), (x2, y2) = seg
    dx, dy = x2 - x1, y2 - y1
    t = ((px - x1) * dx + (py - y1) * dy) / (dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    ex, ey = px - (x1 + t * dx), py - (y1 + t * dy)
    return ex * ex + ey * ey <= half * half


# Letter strokes as segments in a box `w` wide and `h` high (pixels), given the
# stroke's half width `s`. Strokes run past the box, which cuts them square.
def letter_k(w, h, s):
    return [((s, -h), (s, 2 * h)),                     # stem
            ((s, h * 0.62), (w - s * 0.7, -s)),        # upper arm
            ((w * 0.42, h * 0.42), (w - s * 0.7, h + s))]  # lower leg


def letter_v(w, h, s):
    return [((s * 0.8, -s), (w / 2, h - s * 0.8)),
            ((w - s * 0.8, -s), (w / 2, h - s * 0.8))]


def draw_app_icon(size):
    """Green rounded square, black outline, 'KV' in dark red."""
    outline = 1 if size < 40 else 2
    radius = size * 0.19
    img = [[CLEAR] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if inside_rounded_square(x, y, size, radius):
                img[y][x] = GREEN
    # Outline: the square's pixels within `outline` steps of the outside.
    for _ in range(outline):
        edge = [(x, y) for y in range(size) for x in range(size)
                if img[y][x] == GREEN and any(
                    not (0 <= x + dx < size and 0 <= y + dy < size)
                    or img[y + dy][x + dx] in (CLEAR, BLACK)
                    for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))]
        for x, y in edge:
            img[y][x] = BLACK
    # Letters: two boxes side by side, centred.
    height = round(size * 0.52)
    width = round(size * 0.33)
    gap = max(1, round(size * 0.04))
    half = size * 0.046
    left = (size - (2 * width + gap)) // 2
    top = (size - height) // 2
    for box_left, strokes in ((left, letter_k(width, height, half)),
                              (left + width + gap, letter_v(width, height, half))):
        for y in range(top, top + height):
            for x in range(box_left, box_left + width):
                u, v = x + 0.5 - box_left, y + 0.5 - top
                if any(near_segment(u, v, seg, half) for seg in strokes):
                    img[y][x] = MAROON
    return img


# --- File formats ----------------------------------------------------------------

def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)


def xor_rows(img):
    """4-bit pixel rows, bottom-up, each padded to 4 bytes. Clear pixels are 0."""
    out = b""
    for row in reversed(img):
        idx = [0 if p is CLEAR else p for p in row]
        if len(idx) % 2:
            idx.append(0)
        data = bytes((idx[i] << 4) | idx[i + 1] for i in range(0, len(idx), 2))
        out += data + b"\0" * (-len(data) % 4)
    return out


def and_rows(img):
    """1-bit mask rows, bottom-up, each padded to 4 bytes; 1 = transparent."""
    out = b""
    for row in reversed(img):
        bits = [1 if p is CLEAR else 0 for p in row]
        bits += [0] * (-len(bits) % 8)
        data = bytes(sum(bits[i + j] << (7 - j) for j in range(8))
                     for i in range(0, len(bits), 8))
        out += data + b"\0" * (-len(data) % 4)
    return out


def info_header(width, height, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, image_size,
                       0, 0, 16, 0)


def ico_file(images):
    """An .ico holding each image at 4 bits per pixel with its AND mask."""
    blobs = []
    for img in images:
        size = len(img)
        pixels = xor_rows(img) + and_rows(img)
        # An icon's header counts the XOR and AND bitmaps together: twice the height.
        blobs.append(info_header(size, 2 * size, len(pixels)) + palette_bytes() + pixels)
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = len(head) + 16 * len(images)
    entries = b""
    for img, blob in zip(images, blobs):
        size = len(img)
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 16, 0, 1, 4,
                               len(blob), offset)
        offset += len(blob)
    return head + entries + b"".join(blobs)


def bmp_file(img):
    assert all(p is not CLEAR for row in img for p in row), "a .bmp has no mask"
    pixels = xor_rows(img)
    header = info_header(len(img[0]), len(img), len(pixels)) + palette_bytes()
    offset = 14 + len(header)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + header + pixels


def ppm_preview(img, scale, backdrop=(0xD4, 0xD0, 0xC8)):
    """An enlarged picture for looking at a drawing (clear pixels as backdrop)."""
    h, w = len(img), len(img[0])
    rows = []
    for row in img:
        line = b"".join(bytes(backdrop if p is CLEAR else PALETTE[p]) * scale for p in row)
        rows.extend([line] * scale)
    return b"P6 %d %d 255\n" % (w * scale, h * scale) + b"".join(rows)


# --- Checks on the drawings ------------------------------------------------------

def check(images):
    for name, img, want in images:
        assert len(img) == want and all(len(r) == want for r in img), name
        assert all(p is CLEAR or 0 <= p < 16 for r in img for p in r), name
    assert OK_16[-1][0] == MAGENTA, "the OK image's transparent colour is its bottom-left pixel"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--preview", metavar="DIR", help="also write enlarged previews (.ppm) here")
    args = parser.parse_args()

    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    out = os.path.join(root, "resources")
    app = [draw_app_icon(48), draw_app_icon(32), APP_16]
    check([("app48", app[0], 48), ("app32", app[1], 32), ("app16", app[2], 16),
           ("tray", TRAY_16, 16), ("ok", OK_16, 16)])

    files = {
        "Ordfalk.ico": ico_file(app),
        "Tray.ico": ico_file([TRAY_16]),
        "OK.bmp": bmp_file(OK_16),
    }
    os.makedirs(out, exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
        print("wrote resources/%s (%d bytes)" % (name, len(data)))

    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        previews = {"app48": (app[0], 8), "app32": (app[1], 12), "app16": (app[2], 24),
                    "tray16": (TRAY_16, 24), "ok16": (OK_16, 24)}
        for name, (img, scale) in previews.items():
            with open(os.path.join(args.preview, name + ".ppm"), "wb") as f:
                f.write(ppm_preview(img, scale))
    return 0


if __name__ == "__main__":
    sys.exit(main())
