#!/usr/bin/env python3
"""Wraps the project's PNG art into Windows icon (.ico) and cursor (.cur) files
for the resource compiler: each image becomes a 32-bit device-independent
bitmap with its transparency mask, which every Windows (and Wine) draws.

  win32-art.py ico OUT.ico IN.png [IN.png ...]
  win32-art.py cur OUT.cur HOTX HOTY IN.png
"""

import struct
import sys
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
# Art is small; anything larger is not ours.
MAX_SIDE = 256


def read_png_rgba(path):
    """The image as (width, height, rows of RGBA bytes), top row first."""
    with open(path, "rb") as f:
        data = f.read()
    if not data.startswith(PNG_SIGNATURE):
        raise SystemExit(f"{path}: not a PNG file")
    pos = len(PNG_SIGNATURE)
    header = None
    compressed = b""
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            compressed += body
        elif kind == b"IEND":
            break
    if header is None:
        raise SystemExit(f"{path}: no image header")
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour != 6 or interlace != 0:
        raise SystemExit(f"{path}: only 8-bit RGBA, non-interlaced images are art here")
    if not (0 < width <= MAX_SIDE and 0 < height <= MAX_SIDE):
        raise SystemExit(f"{path}: {width}x{height} is not an icon's size")
    raw = zlib.decompress(compressed)
    stride = width * 4
    if len(raw) != height * (stride + 1):
        raise SystemExit(f"{path}: pixel data of the wrong size")
    rows = []
    previous = bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind = raw[start]
        line = bytearray(raw[start + 1:start + 1 + stride])
        for x in range(stride):
            left = line[x - 4] if x >= 4 else 0
            up = previous[x]
            corner = previous[x - 4] if x >= 4 else 0
            if kind == 1:
                line[x] = (line[x] + left) & 0xFF
            elif kind == 2:
                line[x] = (line[x] + up) & 0xFF
            elif kind == 3:
                line[x] = (line[x] + ((left + up) >> 1)) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else (up if pb <= pc else corner)
                line[x] = (line[x] + pred) & 0xFF
            elif kind != 0:
                raise SystemExit(f"{path}: unknown row filter {kind}")
        rows.append(bytes(line))
        previous = line
    return width, height, rows


def dib_entry(width, height, rows):
    """The icon image: header of twice the height, BGRA rows bottom-up, then
    the AND mask (1 = transparent), rows padded to 4 bytes."""
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    mask_stride = ((width + 31) // 32) * 4
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x in range(width):
            r, g, b, a = row[x * 4:x * 4 + 4]
            colour += bytes((b, g, r, a))
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(colour) + bytes(mask)


def write_container(out, kind, entries):
    """`entries`: (width, height, field1, field2, image bytes); the two fields
    are planes and bit count for an icon, the hot spot for a cursor."""
    directory = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    images = b""
    for width, height, field1, field2, image in entries:
        directory += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, field1, field2,
                                 len(image), offset + len(images))
        images += image
    with open(out, "wb") as f:
        f.write(directory + images)


def main(argv):
    if len(argv) >= 3 and argv[0] == "ico":
        entries = []
        for path in argv[2:]:
            width, height, rows = read_png_rgba(path)
            entries.append((width, height, 1, 32, dib_entry(width, height, rows)))
        write_container(argv[1], 1, entries)
        return 0
    if len(argv) == 5 and argv[0] == "cur":
        width, height, rows = read_png_rgba(argv[4])
        hot_x, hot_y = int(argv[2]), int(argv[3])
        write_container(argv[1], 2, [(width, height, hot_x, hot_y, dib_entry(width, height, rows))])
        return 0
    print(__doc__.strip(), file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
