#!/usr/bin/env python3
"""Writes the setup's icon: a rounded blue tile with a white envelope fold."""
import struct, sys, zlib

def pixels(size):
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            r = size / 8
            inside = True
            for cx, cy in ((r, r), (size - 1 - r, r), (r, size - 1 - r), (size - 1 - r, size - 1 - r)):
                if (x < r or x > size - 1 - r) and (y < r or y > size - 1 - r):
                    if (x - cx) ** 2 + (y - cy) ** 2 > r * r:
                        inside = False
            if not inside:
                row.append((0, 0, 0, 0))
                continue
            t = y / size
            b, g, rr = int(200 - 60 * t), int(120 - 40 * t), int(30 - 10 * t)
            # envelope: a white rectangle with a V fold
            ex0, ex1, ey0, ey1 = size * 0.2, size * 0.8, size * 0.3, size * 0.72
            if ex0 <= x <= ex1 and ey0 <= y <= ey1:
                mid = size / 2
                fold = ey0 + (abs(x - mid) < (y - ey0) * 1.3 and False)
                v = ey0 + (mid - abs(x - mid)) * 0.55
                if abs(y - v) < 1.2:
                    row.append((150, 90, 20, 255))
                else:
                    row.append((255, 255, 255, 255))
            else:
                row.append((b, g, rr, 255))
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
