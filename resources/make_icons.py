#!/usr/bin/env python3
"""Draws Tresoro's four program icons and writes them as 32x32 16-colour ICO files.

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


def ico_bytes(pixels):
    """One 32x32 image, 4 bits per pixel with the palette above, plus its AND mask.

    Transparent pixels are colour 0 with the mask bit set, which Windows draws
    as 'leave the background'. Both bitmaps run bottom row first; each row is
    padded to 4 bytes (16 bytes for colour, 4 for the mask at this width).
    """
    xor_stride = (SIZE * 4 + 31) // 32 * 4
    and_stride = (SIZE + 31) // 32 * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(pixels):
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, ch in enumerate(row):
            if ch == TRANSPARENT:
                bits[x // 8] |= 0x80 >> (x % 8)
                index = 0
            else:
                index = INDEX[ch]
            line[x // 2] |= index << 4 if x % 2 == 0 else index
        xor += line
        mask += bits
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for _, (r, g, b) in PALETTE)
    # The height covers both bitmaps, colour and mask, as icons require.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, len(PALETTE), 0)
    image = header + palette + bytes(xor) + bytes(mask)
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return icondir + entry + image


def parse_ico(data):
    """Reads an icon written by ico_bytes back into drawing rows; returns (rows, error)."""
    if len(data) < 22:
        return None, "shorter than its directory"
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if (reserved, kind, count) != (0, 1, 1):
        return None, "directory is not one icon image"
    w, h, colours, res, planes, bpp, size, offset = struct.unpack_from("<BBBBHHII", data, 6)
    if (w, h, colours, res, planes, bpp) != (SIZE, SIZE, 16, 0, 1, 4):
        return None, "directory entry is not 32x32 with 16 colours"
    if offset != 22 or offset + size != len(data):
        return None, "image offset or size does not match the file"
    (hsize, bw, bh, bplanes, bbpp, compression, image_size,
     _, _, used, _) = struct.unpack_from("<IiiHHIIiiII", data, offset)
    if (hsize, bw, bh, bplanes, bbpp, compression) != (40, SIZE, SIZE * 2, 1, 4, 0):
        return None, "bitmap header is not 32x64, 4 bits, uncompressed"
    if used not in (0, 16):
        return None, "palette size %d" % used
    pos = offset + 40
    palette = []
    for i in range(16):
        b, g, r, zero = struct.unpack_from("<BBBB", data, pos + 4 * i)
        palette.append((r, g, b))
    if palette != [rgb for _, rgb in PALETTE]:
        return None, "palette is not the standard 16 colours"
    pos += 64
    xor_stride = (SIZE * 4 + 31) // 32 * 4
    and_stride = (SIZE + 31) // 32 * 4
    if image_size != SIZE * (xor_stride + and_stride) or pos + image_size != len(data):
        return None, "bitmap sizes do not add up"
    xor = data[pos:pos + SIZE * xor_stride]
    mask = data[pos + SIZE * xor_stride:]
    rows = []
    for y in range(SIZE):
        src = SIZE - 1 - y
        row = []
        for x in range(SIZE):
            byte = xor[src * xor_stride + x // 2]
            index = byte >> 4 if x % 2 == 0 else byte & 0x0F
            hidden = mask[src * and_stride + x // 8] & (0x80 >> (x % 8))
            if hidden:
                if index != 0:
                    return None, "pixel %d,%d is masked but not black" % (x, y)
                row.append(TRANSPARENT)
            else:
                row.append(PALETTE[index][0])
        rows.append("".join(row))
    return rows, None


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
        rows, error = parse_ico(data)
        if error:
            fail("%s.ico: %s" % (stem, error))
        if rows != pixels:
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
