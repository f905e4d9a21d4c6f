#!/usr/bin/env python3
"""Draws Tresoro's four program icons and writes them as ICO files in full colour.

Each file holds the sizes Windows picks from at every display scaling (16,
20, 24, 32, 48 and 256 pixels, 32-bit with alpha; the 256 one as PNG),
all made from one 32x32 drawing in the 16 standard colours.

The icons are pixel art kept in this file as strings, one character per pixel,
so a change to an icon is a reviewable text diff. The resulting .ico files are
committed next to this script: the build links them with windres and needs no
Python. Run this script again after changing a drawing and commit its output.

    python3 resources/make_icons.py          # write resources/*.ico and docs/icons/*.png
    python3 resources/make_icons.py --check  # fail if a committed .ico differs from the drawing

Every .ico is parsed again after writing and compared pixel by pixel with its
drawing, so a broken writer cannot slip a malformed icon into the program.
"""

import os
import struct
import sys
import zlib

# The standard Windows 16-colour palette, in its BMP index order. Each entry
# has the character that stands for it in the drawings below.
PALETTE = [
    ("K", (0x00, 0x00, 0x00)),  # 0 black
    ("r", (0x80, 0x00, 0x00)),  # 1 dark red
    ("g", (0x00, 0x80, 0x00)),  # 2 dark green
    ("o", (0x80, 0x80, 0x00)),  # 3 olive
    ("n", (0x00, 0x00, 0x80)),  # 4 navy
    ("p", (0x80, 0x00, 0x80)),  # 5 purple
    ("t", (0x00, 0x80, 0x80)),  # 6 teal
    ("s", (0xC0, 0xC0, 0xC0)),  # 7 silver
    ("d", (0x80, 0x80, 0x80)),  # 8 dark grey
    ("R", (0xFF, 0x00, 0x00)),  # 9 red
    ("G", (0x00, 0xFF, 0x00)),  # 10 green
    ("Y", (0xFF, 0xFF, 0x00)),  # 11 yellow
    ("B", (0x00, 0x00, 0xFF)),  # 12 blue
    ("M", (0xFF, 0x00, 0xFF)),  # 13 magenta
    ("C", (0x00, 0xFF, 0xFF)),  # 14 cyan
    ("W", (0xFF, 0xFF, 0xFF)),  # 15 white
]
TRANSPARENT = "."
INDEX = {ch: i for i, (ch, _) in enumerate(PALETTE)}

SIZE = 32

# The strongbox without its dial: a steel case with a light top-left edge and a
# dark bottom-right edge, a blue door on two hinges, a lever handle right of
# where the dial sits, and two feet. Shapes are at least two pixels thick
# where possible so the tray's 16-pixel reduction keeps them.
SAFE = [
    "................................",
    "................................",
    "..KKKKKKKKKKKKKKKKKKKKKKKKKKKK..",
    "..KWWWWWWWWWWWWWWWWWWWWWWWWWWK..",
    "..KWssssssssssssssssssssssssdK..",
    "..KWsKKKKKKKKKKKKKKKKKKKKKKsdK..",
    "..KWsKCCCCCCCCCCCCCCCCCCCnKsdK..",
    "..KWsKCBBBBBBBBBBBBBBBBBBnKsdK..",
    "..KKKKCBBBBBBBBBBBBBBBBBBnKsdK..",
    "..KKKKCBBBBBBBBBBBBBBBBBBnKsdK..",
    "..KKKKCBBBBBBBBBBBBBBKKKBnKsdK..",
    "..KWsKCBBBBBBBBBBBBBBKsKBnKsdK..",
    "..KWsKCBBBBBBBBBBBBBBKsKBnKsdK..",
    "..KWsKCBBBBBBBBBBBBBBKsKBnKsdK..",
    "..KWsKCBBBBBBBBBBBBBBKsKBnKsdK..",
    "..KWsKCBBBBBBBBBBBBBBKsKBnKsdK..",
    "..KWsKCBBBBBBBBBBBBBBKsKBnKsdK..",
    "..KWsKCBBBBBBBBBBBBBBKsKBnKsdK..",
    "..KWsKCBBBBBBBBBBBBBBKsKBnKsdK..",
    "..KKKKCBBBBBBBBBBBBBBKKKBnKsdK..",
    "..KKKKCBBBBBBBBBBBBBBBBBBnKsdK..",
    "..KKKKCBBBBBBBBBBBBBBBBBBnKsdK..",
    "..KWsKCBBBBBBBBBBBBBBBBBBnKsdK..",
    "..KWsKCnnnnnnnnnnnnnnnnnnnKsdK..",
    "..KWsKKKKKKKKKKKKKKKKKKKKKKsdK..",
    "..KWssssssssssssssssssssssssdK..",
    "..KWssssssssssssssssssssssssdK..",
    "..KWdddddddddddddddddddddddddK..",
    "..KKKKKKKKKKKKKKKKKKKKKKKKKKKK..",
    "....KKKKK..............KKKKK....",
    "....KKKKK..............KKKKK....",
    "................................",
]

# The dial at rest: a yellow wheel with upright spokes.
DIAL_AT_REST = [
    "...KKKKKK...",
    "..KKYKKYKK..",
    ".KYYYKKYYYK.",
    "KKYYYKKYYYKK",
    "KYYYKssKYYYK",
    "KKKKsddsKKKK",
    "KKKKsddsKKKK",
    "KYYYKssKYYYK",
    "KKYYYKKYYYKK",
    ".KYYYKKYYYK.",
    "..KKYKKYKK..",
    "...KKKKKK...",
]

# The dial turning: spokes a quarter-turn on (diagonal) and the wheel lit up
# white inside, so the tray blinks visibly between the two frames.
DIAL_TURNING = [
    "...KKKKKK...",
    "..KKYYYYKK..",
    ".KKKYWWYKKK.",
    "KYKKKWWKKKYK",
    "KYWKKssKKWYK",
    "KYWWsddsWWYK",
    "KYWWsddsWWYK",
    "KYWKKssKKWYK",
    "KYKKKWWKKKYK",
    ".KKKYWWYKKK.",
    "..KKYYYYKK..",
    "...KKKKKK...",
]
DIAL_AT = (8, 9)

# Result badges for the lower right corner; the black ring parts them from
# the case wherever they overlap it.
BADGE_ERROR = [
    "....KKKKKK....",
    "..KKRRRRRRKK..",
    ".KRRRRRRRRRRK.",
    ".KRWWRRRRWWRK.",
    "KRRWWWRRWWWRRK",
    "KRRRWWWWWWRRRK",
    "KRRRRWWWWRRRRK",
    "KRRRRWWWWRRRRK",
    "KRRRWWWWWWRRRK",
    "KRRWWWRRWWWRRK",
    ".KRWWRRRRWWRK.",
    ".KRRRRRRRRRRK.",
    "..KKRRRRRRKK..",
    "....KKKKKK....",
]

BADGE_OK = [
    "....KKKKKK....",
    "..KKggggggKK..",
    ".KggggggggggK.",
    ".KggggggggggK.",
    "KggggggggWWWgK",
    "KgggggggWWWggK",
    "KgWWgggWWWgggK",
    "KgWWWgWWWggggK",
    "KggWWWWWgggggK",
    "KgggWWWggggggK",
    ".KggggWgggggK.",
    ".KggggggggggK.",
    "..KKggggggKK..",
    "....KKKKKK....",
]
BADGE_AT = (18, 18)

# File stem -> the drawing's layers, bottom first, each with its top-left corner.
ICONS = [
    ("icon_idle", [(SAFE, (0, 0)), (DIAL_AT_REST, DIAL_AT)]),
    ("icon_busy", [(SAFE, (0, 0)), (DIAL_TURNING, DIAL_AT)]),
    ("icon_error", [(SAFE, (0, 0)), (DIAL_AT_REST, DIAL_AT), (BADGE_ERROR, BADGE_AT)]),
    ("icon_ok", [(SAFE, (0, 0)), (DIAL_AT_REST, DIAL_AT), (BADGE_OK, BADGE_AT)]),
]


def fail(message):
    sys.stderr.write("make_icons: " + message + "\n")
    sys.exit(1)


def check_layer(name, rows, at):
    width = len(rows[0])
    for y, row in enumerate(rows):
        if len(row) != width:
            fail("%s: row %d is %d wide, not %d" % (name, y, len(row), width))
        for ch in row:
            if ch != TRANSPARENT and ch not in INDEX:
                fail("%s: row %d has unknown colour %r" % (name, y, ch))
    x0, y0 = at
    if x0 + width > SIZE or y0 + len(rows) > SIZE:
        fail("%s: a layer reaches beyond %dx%d" % (name, SIZE, SIZE))


def compose(name, layers):
    """Stacks the layers; a transparent pixel of an upper layer shows the one below."""
    base, _ = layers[0]
    if len(base) != SIZE or len(base[0]) != SIZE:
        fail("%s: the bottom layer must be %dx%d" % (name, SIZE, SIZE))
    grid = [list(row) for row in base]
    for rows, at in layers:
        check_layer(name, rows, at)
        x0, y0 = at
        for y, row in enumerate(rows):
            for x, ch in enumerate(row):
                if ch != TRANSPARENT:
                    grid[y0 + y][x0 + x] = ch
    return ["".join(row) for row in grid]


# The sizes Windows asks for: 16 and 32 at 100 %, 20 and 40.. at 125 %,
# 24 and 48 at 150 %, 32 and 64 at 200 % (the tray takes the small one, the
# title bar and Alt+Tab the large one), 256 for Explorer's large views.
SIZES = [16, 20, 24, 32, 48, 256]


def render(pixels, size):
    """The drawing at `size` pixels in full colour with alpha.

    Each target pixel averages the part of the drawing it covers, weighted by
    area and by opacity, so that 16, 20, 24 and 48 come out smooth and 32
    and 256 (whole multiples) as sharp as the drawing.
    """
    rgba = to_rgba(pixels)
    if size % SIZE == 0:
        return scale(rgba, size // SIZE)  # each target pixel inside one of the drawing
    out = []
    for ty in range(size):
        row = []
        y0, y1 = ty * SIZE / size, (ty + 1) * SIZE / size
        for tx in range(size):
            x0, x1 = tx * SIZE / size, (tx + 1) * SIZE / size
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(int(y0), min(SIZE, int(-(-y1 // 1)))):
                wy = min(y1, sy + 1) - max(y0, sy)
                for sx in range(int(x0), min(SIZE, int(-(-x1 // 1)))):
                    w = wy * (min(x1, sx + 1) - max(x0, sx))
                    r, g, b, a = rgba[sy][sx]
                    alpha = w * a / 255.0
                    acc[0] += r * alpha
                    acc[1] += g * alpha
                    acc[2] += b * alpha
                    acc[3] += alpha
            area = (y1 - y0) * (x1 - x0)
            opacity = acc[3] / area
            if acc[3] <= 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(c / acc[3])) for c in acc[:3]) + (int(round(opacity * 255)),))
        out.append(row)
    return out


def bmp_image(rgba):
    """One 32-bit BGRA icon image with its AND mask (set where fully clear)."""
    size = len(rgba)
    and_stride = (size + 31) // 32 * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rgba):
        bits = bytearray(and_stride)
        for x, (r, g, b, a) in enumerate(row):
            xor += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    # The height covers both bitmaps, colour and mask, as icons require.
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def ico_bytes(pixels):
    """An .ico with every size of SIZES: BMP images, the 256 one as PNG."""
    images = []
    for size in SIZES:
        rgba = render(pixels, size)
        images.append(png_bytes(rgba) if size == 256 else bmp_image(rgba))
    directory = struct.pack("<HHH", 0, 1, len(SIZES))
    offset = 6 + 16 * len(SIZES)
    for size, image in zip(SIZES, images):
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + b"".join(images)


def png_rows(data):
    """The RGBA rows of a PNG as png_bytes writes it (8-bit RGBA, filter 0)."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        return None, "not a PNG"
    pos, width, height, idat = 8, 0, 0, b""
    while pos < len(data):
        (length,) = struct.unpack_from(">I", data, pos)
        kind = data[pos + 4:pos + 8]
        payload = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, _ = struct.unpack(">IIBBBBB", payload)
            if (depth, colour) != (8, 6):
                return None, "PNG is not 8-bit RGBA"
        elif kind == b"IDAT":
            idat += payload
        pos += 12 + length
    raw = zlib.decompress(idat)
    rows = []
    for y in range(height):
        line = raw[y * (width * 4 + 1):(y + 1) * (width * 4 + 1)]
        if line[0] != 0:
            return None, "PNG row filter %d" % line[0]
        rows.append([tuple(line[1 + 4 * x:5 + 4 * x]) for x in range(width)])
    return rows, None


def parse_ico(data):
    """The images of an .ico as RGBA rows per size, checked as Windows reads them."""
    if len(data) < 6:
        return None, "shorter than its directory"
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if (reserved, kind) != (0, 1) or count != len(SIZES):
        return None, "directory does not hold %d icon images" % len(SIZES)
    images = {}
    for i in range(count):
        w, h, colours, res, planes, bpp, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        pixels = w or 256
        if (h or 256) != pixels or (colours, res, planes, bpp) != (0, 0, 1, 32):
            return None, "entry %d is not a square 32-bit image" % i
        if offset + size > len(data):
            return None, "entry %d reaches past the file" % i
        image = data[offset:offset + size]
        if pixels == 256:
            rows, error = png_rows(image)
            if error:
                return None, error
        else:
            (hsize, bw, bh, bplanes, bbpp, compression) = struct.unpack_from("<IiiHHI", image, 0)
            if (hsize, bw, bh, bplanes, bbpp, compression) != (40, pixels, pixels * 2, 1, 32, 0):
                return None, "bitmap header of %d px is not 32 bits uncompressed" % pixels
            and_stride = (pixels + 31) // 32 * 4
            if len(image) != 40 + pixels * pixels * 4 + pixels * and_stride:
                return None, "bitmap sizes of %d px do not add up" % pixels
            rows = []
            for y in range(pixels):
                src = 40 + (pixels - 1 - y) * pixels * 4
                row = []
                for x in range(pixels):
                    b, g, r, a = image[src + 4 * x:src + 4 * x + 4]
                    masked = image[40 + pixels * pixels * 4 + (pixels - 1 - y) * and_stride + x // 8] & (0x80 >> (x % 8))
                    if bool(masked) != (a == 0):
                        return None, "mask and alpha disagree at %d,%d of %d px" % (x, y, pixels)
                    row.append((r, g, b, a))
                rows.append(row)
        images[pixels] = rows
    if sorted(images) != SIZES:
        return None, "sizes %s, not %s" % (sorted(images), SIZES)
    return images, None


def png_bytes(rgba_rows):
    """A plain RGBA PNG from rows of (r, g, b, a) tuples."""
    height = len(rgba_rows)
    width = len(rgba_rows[0])
    raw = bytearray()
    for row in rgba_rows:
        raw.append(0)
        for pixel in row:
            raw += bytes(pixel)

    def chunk(kind, payload):
        body = kind + payload
        return struct.pack(">I", len(payload)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def to_rgba(pixels):
    colour = {ch: rgb for ch, rgb in PALETTE}
    return [[(0, 0, 0, 0) if ch == TRANSPARENT else colour[ch] + (255,) for ch in row]
            for row in pixels]


def scale(rgba, factor):
    out = []
    for row in rgba:
        wide = [p for p in row for _ in range(factor)]
        out.extend([wide] * factor)
    return out


def halve(rgba, background):
    """Averages 2x2 blocks over a background: roughly what a 16-pixel tray icon shows."""
    out = []
    for y in range(0, len(rgba), 2):
        row = []
        for x in range(0, len(rgba[0]), 2):
            block = [rgba[y + a][x + b] for a in (0, 1) for b in (0, 1)]
            seen = [p[:3] if p[3] else background for p in block]
            row.append(tuple(sum(p[i] for p in seen) // 4 for i in range(3)) + (255,))
        out.append(row)
    return out


def tray_preview(drawings):
    """All icons halved to 16 px on a light and on a dark taskbar colour, shown 4x."""
    backgrounds = [(0xF0, 0xF0, 0xF0), (0x20, 0x20, 0x20)]
    gap = 4
    rows = []
    for background in backgrounds:
        band = [[background + (255,)] * gap for _ in range(16)]
        for pixels in drawings:
            small = halve(to_rgba(pixels), background)
            for y in range(16):
                band[y] += small[y] + [background + (255,)] * gap
        pad = [background + (255,)] * len(band[0])
        rows += [pad] * 2 + band + [pad] * 2
    return scale(rows, 4)


def write_if_changed(path, data):
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return False
    except OSError:
        pass
    with open(path, "wb") as f:
        f.write(data)
    return True


def main(argv):
    check_only = argv[1:] == ["--check"]
    if argv[1:] and not check_only:
        fail("usage: make_icons.py [--check]")
    here = os.path.dirname(os.path.abspath(__file__))
    previews = os.path.join(os.path.dirname(here), "docs", "icons")

    drawings = []
    stale = []
    for stem, layers in ICONS:
        pixels = compose(stem, layers)
        drawings.append(pixels)
        data = ico_bytes(pixels)
        images, error = parse_ico(data)
        if error:
            fail("%s.ico: %s" % (stem, error))
        if any(images[size] != render(pixels, size) for size in SIZES) or images[32] != to_rgba(pixels):
            fail("%s.ico: reads back differently from its drawing" % stem)
        path = os.path.join(here, stem + ".ico")
        if check_only:
            try:
                with open(path, "rb") as f:
                    if f.read() != data:
                        stale.append(path)
            except OSError:
                stale.append(path)
            continue
        if write_if_changed(path, data):
            print("wrote " + os.path.relpath(path))
        os.makedirs(previews, exist_ok=True)
        preview = os.path.join(previews, stem + ".png")
        if write_if_changed(preview, png_bytes(scale(to_rgba(pixels), 4))):
            print("wrote " + os.path.relpath(preview))

    if check_only:
        if stale:
            fail("out of date, run make_icons.py: " + ", ".join(stale))
        print("icons match their drawings")
        return
    tray = os.path.join(previews, "tray_16px.png")
    if write_if_changed(tray, png_bytes(tray_preview(drawings))):
        print("wrote " + os.path.relpath(tray))


if __name__ == "__main__":
    main(sys.argv)
