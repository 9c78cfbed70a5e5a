#!/usr/bin/env python3
"""Draws the program's icon, a round gauge dial with its needle, as app/icons/qorb.ico (32x32 in
2 colours, 32x32 and 16x16 in 16 colours) and app/icons/qorb-N.png at each size a desktop's icon
theme looks for (16 to 256 pixels; the window takes 16 and 32, the packages all of them).

Standard library only: python3 tools/make_icon.py [output folder]
"""

import math
import os
import struct
import sys
import zlib

PNG_SIZES = (16, 24, 32, 48, 64, 128, 256)
NEEDLE_DEGREES = 40.0  # from straight up, clockwise
TICKS = 9  # spread over 270 degrees, the dial's scale


def segment_distance(u, v, x1, y1, x2, y2):
    dx, dy = x2 - x1, y2 - y1
    t = max(0.0, min(1.0, ((u - x1) * dx + (v - y1) * dy) / (dx * dx + dy * dy)))
    return math.hypot(u - (x1 + t * dx), v - (y1 + t * dy))


def region(u, v):
    """What lies at (u, v), both from -1 to 1, y downwards."""
    d = math.hypot(u, v)
    if d > 0.97:
        return None
    if d > 0.80:
        return "bezel"
    if d < 0.14:
        return "hub"
    angle = math.radians(NEEDLE_DEGREES)
    if segment_distance(u, v, 0.0, 0.0, 0.68 * math.sin(angle), -0.68 * math.cos(angle)) < 0.075:
        return "needle"
    if 0.56 < d < 0.76:
        theta = math.degrees(math.atan2(u, -v))  # 0 up, clockwise positive
        for i in range(TICKS):
            tick = -135.0 + 270.0 * i / (TICKS - 1)
            if abs(theta - tick) < 5.0:
                return "tick"
    return "face"


PNG_COLOURS = {
    "bezel": (0x1f, 0x3a, 0x68, 255),
    "face": (0xf8, 0xf8, 0xf2, 255),
    "tick": (0x20, 0x20, 0x20, 255),
    "needle": (0xd0, 0x20, 0x1a, 255),
    "hub": (0x10, 0x10, 0x10, 255),
}

# The 16 colours every 4-bit icon shares.
PALETTE_16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
INDEX_16 = {"bezel": 4, "face": 15, "tick": 0, "needle": 9, "hub": 0}
PALETTE_2 = [(0x00, 0x00, 0x00), (0xFF, 0xFF, 0xFF)]
INDEX_2 = {"bezel": 0, "face": 1, "tick": 0, "needle": 0, "hub": 0}


def centre(i, size):
    return (i + 0.5) / size * 2.0 - 1.0


def png(size, samples=4):
    rows = []
    for y in range(size):
        row = bytearray([0])
        for x in range(size):
            total = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    u = centre(x * samples + sx, size * samples)
                    v = centre(y * samples + sy, size * samples)
                    kind = region(u, v)
                    if kind is not None:
                        colour = PNG_COLOURS[kind]
                        for c in range(3):
                            total[c] += colour[c]
                        total[3] += 255
            covered = total[3] // 255
            n = samples * samples
            if covered:
                row += bytes(total[c] // covered for c in range(3))
            else:
                row += b"\0\0\0"
            row.append(total[3] // n)
        rows.append(bytes(row))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


def packed_rows(values, size, bits):
    """Bottom-up rows of `bits`-bit values, each padded to 4 bytes."""
    out = bytearray()
    per_byte = 8 // bits
    row_bytes = (size * bits + 7) // 8
    padded = (row_bytes + 3) // 4 * 4
    for y in reversed(range(size)):
        row = bytearray(padded)
        for x in range(size):
            shift = 8 - bits * (x % per_byte + 1)
            row[x // per_byte] |= values[y][x] << shift
        out += row
    return bytes(out)


def ico_image(size, palette, indices):
    colours, mask = [], []
    for y in range(size):
        colour_row, mask_row = [], []
        for x in range(size):
            kind = region(centre(x, size), centre(y, size))
            colour_row.append(0 if kind is None else indices[kind])
            mask_row.append(1 if kind is None else 0)
        colours.append(colour_row)
        mask.append(mask_row)
    bits = 1 if len(palette) == 2 else 4
    xor = packed_rows(colours, size, bits)
    and_mask = packed_rows(mask, size, 1)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, len(xor) + len(and_mask),
                         0, 0, 0, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    return bits, header + table + xor + and_mask


def ico():
    images = [(32, PALETTE_2, INDEX_2), (32, PALETTE_16, INDEX_16), (16, PALETTE_16, INDEX_16)]
    built = [(size, len(palette)) + ico_image(size, palette, indices)
             for size, palette, indices in images]
    out = bytearray(struct.pack("<HHH", 0, 1, len(built)))
    offset = 6 + 16 * len(built)
    for size, colour_count, bits, data in built:
        out += struct.pack("<BBBBHHII", size, size, colour_count, 0, 1, bits, len(data), offset)
        offset += len(data)
    for _, _, _, data in built:
        out += data
    return bytes(out)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "app", "icons")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "qorb.ico"), "wb") as f:
        f.write(ico())
    for size in PNG_SIZES:
        with open(os.path.join(folder, "qorb-%d.png" % size), "wb") as f:
            f.write(png(size))


if __name__ == "__main__":
    main()
