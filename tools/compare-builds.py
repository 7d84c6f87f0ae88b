#!/usr/bin/env python3
"""Compares two builds of an executable byte for byte; where they differ, says
which part of the PE file each differing run of bytes lies in (header field,
section, resource, signature), so a source of non-reproducible output shows.

Usage: compare-builds.py <first.exe> <second.exe>    exit status 0 identical, 1 not
"""
import hashlib
import struct
import sys

MAX_RUNS = 40

COFF_FIELDS = [(0, 2, "Machine"), (2, 2, "NumberOfSections"), (4, 4, "TimeDateStamp"),
               (8, 4, "PointerToSymbolTable"), (12, 4, "NumberOfSymbols")]
DIRECTORIES = ["export", "import", "resource", "exception", "certificate", "base relocation",
               "debug", "architecture", "global pointer", "TLS", "load config", "bound import",
               "import address", "delay import", "CLR", "reserved"]
RESOURCE_TYPES = {3: "ICON", 6: "STRING", 5: "DIALOG", 10: "RCDATA", 14: "GROUP_ICON",
                  16: "VERSION", 23: "HTML", 24: "MANIFEST"}


class Layout:
    """Named byte ranges of one PE file: (start, end, name), file offsets."""

    def __init__(self, data):
        self.ranges = []
        self.sections = []
        try:
            self._read(data)
        except (ValueError, struct.error, IndexError) as e:
            self.ranges.append((0, len(data), "file (no PE layout: %s)" % e))

    def _read(self, data):
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        coff = pe + 4
        for off, size, name in COFF_FIELDS:
            self.ranges.append((coff + off, coff + off + size, "COFF header " + name))
        count, opt_size = struct.unpack_from("<H", data, coff + 2)[0], \
            struct.unpack_from("<H", data, coff + 16)[0]
        opt = coff + 20
        pe32plus = struct.unpack_from("<H", data, opt)[0] == 0x20B
        self.ranges.append((opt + 64, opt + 68, "optional header CheckSum"))
        dirs = opt + (112 if pe32plus else 96)
        self.ranges.append((opt, dirs, "optional header"))
        directories = [struct.unpack_from("<II", data, dirs + 8 * i) for i in range(16)]
        for i in range(16):
            self.ranges.append((dirs + 8 * i, dirs + 8 * i + 8, "data directory " + DIRECTORIES[i]))
        table = opt + opt_size
        for i in range(count):
            off = table + 40 * i
            name = data[off:off + 8].rstrip(b"\0").decode("ascii", "replace")
            vsize, va, rawsize, rawptr = struct.unpack_from("<IIII", data, off + 8)
            self.ranges.append((off, off + 40, "section header " + name))
            self.sections.append((name, va, vsize, rawptr, rawsize))
        self.ranges.append((0, table + 40 * count, "headers"))
        # The certificate table holds a file offset, not an address.
        cert_off, cert_size = directories[4]
        if cert_size:
            self.ranges.append((cert_off, cert_off + cert_size, "certificate table (signature)"))
        for i, (rva, size) in enumerate(directories):
            if size and i != 4 and self.offset(rva) is not None:
                self.ranges.append((self.offset(rva), self.offset(rva) + size,
                                    DIRECTORIES[i] + " directory"))
        if directories[2][1]:
            self._resources(data, self.offset(directories[2][0]))
        for name, va, vsize, rawptr, rawsize in self.sections:
            self.ranges.append((rawptr, rawptr + rawsize, "section " + name))

    def offset(self, rva):
        for _, va, vsize, rawptr, rawsize in self.sections:
            if va <= rva < va + min(vsize or rawsize, rawsize):
                return rva - va + rawptr
        return None

    def _resources(self, data, base):
        def name_of(value):
            if value & 0x80000000:
                off = base + (value & 0x7FFFFFFF)
                length = struct.unpack_from("<H", data, off)[0]
                return data[off + 2:off + 2 + 2 * length].decode("utf-16-le")
            return value

        def walk(off, path):
            named, ids = struct.unpack_from("<HH", data, off + 12)
            self.ranges.append((off + 4, off + 8, "resource directory TimeDateStamp"))
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", data, off + 16 + 8 * i)
                here = path + [name_of(name)]
                if target & 0x80000000:
                    walk(base + (target & 0x7FFFFFFF), here)
                    continue
                rva, size = struct.unpack_from("<II", data, base + target)
                start = self.offset(rva)
                if start is not None:
                    kind = here[0]
                    label = "/".join([RESOURCE_TYPES.get(kind, str(kind))]
                                     + [str(p) for p in here[1:]])
                    self.ranges.append((start, start + size, "resource " + label))

        walk(base, [])

    def where(self, offset):
        """The narrowest named range holding the offset, with the offset inside it."""
        best = None
        for start, end, name in self.ranges:
            if start <= offset < end and (best is None or end - start < best[1] - best[0]):
                best = (start, end, name)
        if best is None:
            return "past the last section"
        return "%s +%#x" % (best[2], offset - best[0])


def differing_runs(a, b):
    """[(start, end)] of differing bytes over the common length, runs closer than 8 bytes merged."""
    runs = []
    for i in range(min(len(a), len(b))):
        if a[i] != b[i]:
            if runs and i - runs[-1][1] < 8:
                runs[-1][1] = i + 1
            else:
                runs.append([i, i + 1])
    return runs


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    first, second = sys.argv[1:]
    with open(first, "rb") as f:
        a = f.read()
    with open(second, "rb") as f:
        b = f.read()
    if a == b:
        print("identical: %s and %s, %d bytes, SHA-256 %s"
              % (first, second, len(a), hashlib.sha256(a).hexdigest()))
        return 0
    runs = differing_runs(a, b)
    count = sum(1 for x, y in zip(a, b) if x != y)
    print("DIFFERENT: %s (%d bytes) and %s (%d bytes): %d differing bytes in %d runs"
          % (first, len(a), second, len(b), count, len(runs)))
    layout = Layout(a)
    for start, end in runs[:MAX_RUNS]:
        print("  %#08x..%#08x %4d bytes  %s" % (start, end, end - start, layout.where(start)))
        print("      first:  %s" % a[start:min(end, start + 32)].hex(" "))
        print("      second: %s" % b[start:min(end, start + 32)].hex(" "))
    if len(runs) > MAX_RUNS:
        print("  ... %d more runs" % (len(runs) - MAX_RUNS))
    if len(a) != len(b):
        print("  sizes differ: the rest of the longer file has no counterpart")
    return 1


if __name__ == "__main__":
    sys.exit(main())
