#!/usr/bin/env python3
"""Writes the setup's icon: the maker's mark, a white Q on a rounded teal tile."""
import struct, sys, zlib

def coverage(size, x, y):
    """(tile, letter) coverage of pixel x, y, each 0..1, from 4 x 4 samples."""
    tile = letter = 0
    n = 4
    r = size * 0.2  # corner radius of the tile
    cx = cy = size / 2.0
    outer, inner = size * 0.34, size * 0.21  # the Q's ring
    for sy in range(n):
        for sx in range(n):
            px, py = x + (sx + 0.5) / n, y + (sy + 0.5) / n
            # rounded tile
            qx = min(max(px, r), size - r)
            qy = min(max(py, r), size - r)
            if (px - qx) ** 2 + (py - qy) ** 2 > r * r:
                continue
            tile += 1
            d2 = (px - cx) ** 2 + (py - cy) ** 2
            ring = inner * inner <= d2 <= outer * outer
            # the tail: a thick stroke from the ring's lower right outwards
            tx, ty = px - cx, py - cy
            along = (tx + ty) / 2 ** 0.5
            across = abs(tx - ty) / 2 ** 0.5
            tail = size * 0.12 <= along <= size * 0.47 and across <= size * 0.075
            if ring or tail:
                letter += 1
    return tile / (n * n), letter / (n * n)


def pixels(size):
    """Rows of (b, g, r, a): a teal rounded tile with a white Q, the maker's mark."""
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            tile, letter = coverage(size, x, y)
            t = y / max(size - 1, 1)
            # teal, lighter at the top (#0aa3c2) to darker at the bottom (#007c9c)
            base = (int(0xC2 - 0x26 * t), int(0xA3 - 0x27 * t), int(0x0A - 0x0A * t))
            colour = tuple(int(c + (255 - c) * letter / max(tile, 1e-9)) for c in base)
            row.append(colour + (int(round(255 * tile)),))
        rows.append(row)
    return rows


def png_entry(size):
    # PNG images in the icon group: a fraction of the bytes of raw bitmaps, and
    # read by every Windows since Vista.
    px = pixels(size)
    raw = b''.join(b'\0' + b''.join(bytes((c[2], c[1], c[0], c[3])) for c in row) for row in px)

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))

    header = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))

sizes = [16, 32, 48]
entries = [png_entry(s) for s in sizes]
out = struct.pack('<HHH', 0, 1, len(sizes))
offset = 6 + 16 * len(sizes)
for s, e in zip(sizes, entries):
    out += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 32, len(e), offset)
    offset += len(e)
out += b''.join(entries)
open(sys.argv[1], 'wb').write(out)
