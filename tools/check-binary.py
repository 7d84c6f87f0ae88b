#!/usr/bin/env python3
"""Checks the setup executable: its import table holds only DLLs that Windows
loads from its known set, its exception table describes only code that is there
(unused functions are collected with their entries), and the stub (the file
minus the embedded packages and the welcome page) stays within its budget.
Usage: check-binary.py <exe> [--max-stub N]"""
import argparse
import struct
import sys

# The stub's budget in bytes: one and a half times the minimal installer of the
# most common script-based installer system (91,604 bytes).
STUB_BUDGET = 137406

# Resource types of the welcome page: its files are part of the download, not of
# the program. RT_HTML is the predefined type 23.
PAGE_TYPES = (23, "CSS", "JPG", "GIF")

# DLLs Windows loads from the system's known set (never from the program's folder).
KNOWN_DLLS = {
    "advapi32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll",
    "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "rpcrt4.dll", "ws2_32.dll",
}


class Pe:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        sections = struct.unpack_from("<H", data, pe + 6)[0]
        opt_size = struct.unpack_from("<H", data, pe + 20)[0]
        opt = pe + 24
        magic = struct.unpack_from("<H", data, opt)[0]
        dirs = opt + (112 if magic == 0x20B else 96)
        self.dirs = [struct.unpack_from("<II", data, dirs + 8 * i) for i in range(16)]
        self.sections = []
        self.named = {}
        for i in range(sections):
            off = opt + opt_size + 40 * i
            vsize, va, rawsize, rawptr = struct.unpack_from("<IIII", data, off + 8)
            self.sections.append((va, max(vsize, rawsize), rawptr))
            self.named[data[off:off + 8].rstrip(b"\0").decode("ascii", "replace")] = (va, vsize)

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return rva - va + raw
        raise ValueError("rva %#x outside sections" % rva)

    def cstr(self, rva):
        off = self.offset(rva)
        return self.data[off:self.data.index(b"\0", off)].decode("ascii")

    def imports(self):
        rva, size = self.dirs[1]
        names, off = [], self.offset(rva) if size else None
        while off is not None:
            fields = struct.unpack_from("<IIIII", self.data, off)
            if not any(fields):
                break
            names.append(self.cstr(fields[3]))
            off += 20
        return names

    def unwind_table_faults(self):
        """Faults of the x64 exception table: every entry must describe a piece of
        .text, in ascending order, with unwind data inside the image."""
        rva, size = self.dirs[3]
        if not size:
            return ["no exception table"]
        text_va, text_size = self.named.get(".text", (0, 0))
        image_end = max(va + size_ for va, size_, _ in self.sections)
        faults, previous_end = [], 0
        base = self.offset(rva)
        for i in range(size // 12):
            begin, end, unwind = struct.unpack_from("<III", self.data, base + 12 * i)
            if not (text_va <= begin < end <= text_va + text_size) or begin < previous_end \
                    or not 0 < unwind < image_end:
                faults.append("entry %d: %#x-%#x, unwind data at %#x" % (i, begin, end, unwind))
            previous_end = end
        return faults

    def resource_type_sizes(self):
        """{type name or id: total bytes of its data}"""
        base_rva, size = self.dirs[2]
        if not size:
            return {}
        base = self.offset(base_rva)

        def entries(off):
            named, ids = struct.unpack_from("<HH", self.data, off + 12)
            for i in range(named + ids):
                yield struct.unpack_from("<II", self.data, off + 16 + 8 * i)

        def name_of(value):
            if value & 0x80000000:
                off = base + (value & 0x7FFFFFFF)
                length = struct.unpack_from("<H", self.data, off)[0]
                return self.data[off + 2:off + 2 + 2 * length].decode("utf-16-le")
            return value

        def total(off):
            sum_ = 0
            for _, target in entries(off):
                if target & 0x80000000:
                    sum_ += total(base + (target & 0x7FFFFFFF))
                else:
                    sum_ += struct.unpack_from("<I", self.data, base + target + 4)[0]
            return sum_

        return {name_of(n): total(base + (t & 0x7FFFFFFF)) for n, t in entries(base)}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("exe")
    ap.add_argument("--max-stub", type=int, default=STUB_BUDGET, help="bytes")
    args = ap.parse_args()
    data = open(args.exe, "rb").read()
    pe = Pe(data)
    failed = False
    imports = [n.lower() for n in pe.imports()]
    print("imports:", ", ".join(imports))
    for name in imports:
        if name not in KNOWN_DLLS:
            print("FAIL: imports %s, which Windows may load from the program's folder" % name)
            failed = True
    faults = pe.unwind_table_faults()
    for fault in faults[:10]:
        print("FAIL: exception table:", fault)
    failed = failed or bool(faults)
    sizes = pe.resource_type_sizes()
    packages = sizes.get("MSI", 0)
    page = sum(sizes.get(t, 0) for t in PAGE_TYPES)
    stub = len(data) - packages - page
    print("welcome page %d bytes" % page)
    print("file %d bytes, embedded packages %d bytes, stub %d bytes (%.1f KiB), budget %d bytes"
          % (len(data), packages, stub, stub / 1024, args.max_stub))
    if stub > args.max_stub:
        print("FAIL: stub %d bytes above the budget of %d bytes" % (stub, args.max_stub))
        failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
