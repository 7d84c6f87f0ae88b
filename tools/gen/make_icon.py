#!/usr/bin/env python3
"""Writes the setup's icon: a rounded blue tile with a white envelope fold."""
import struct, sys

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

def bmp_entry(size):
    px = pixels(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    data = b''.join(bytes(c) for row in reversed(px) for c in row)
    mask_row = ((size + 31) // 32) * 4
    mask = b'\0' * mask_row * size
    return header + data + mask

sizes = [16, 32, 48]
entries = [bmp_entry(s) for s in sizes]
out = struct.pack('<HHH', 0, 1, len(sizes))
offset = 6 + 16 * len(sizes)
for s, e in zip(sizes, entries):
    out += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 32, len(e), offset)
    offset += len(e)
out += b''.join(entries)
open(sys.argv[1], 'wb').write(out)
