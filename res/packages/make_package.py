#!/usr/bin/env python3
"""Builds a Windows Installer package with wixl, the same bytes from the same sources.

wixl stamps a package with a random package code and the time of the build, and
its cabinet keeps the files' modification times. So the folder of the source is
staged with one fixed time on every file, and the summary information gets fixed
times and a package code taken from the package's own content: a package that
differs in anything still gets a code of its own, as Windows Installer expects.

    make_package.py WIXL OUT.msi SOURCE.wxs [wixl options...]
"""
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import uuid

# 2025-01-01 00:00:00 UTC: the time of every staged file and of the summary information.
FIXED_TIME = 1735689600
FILETIME_EPOCH_OFFSET = 11644473600  # seconds from 1601-01-01 to 1970-01-01

SUMMARY_STREAM = "\x05SummaryInformation"
PID_REVNUMBER = 9  # the package code, "{GUID}"
PID_CREATE_DTM = 12
PID_LASTSAVE_DTM = 13
VT_LPSTR = 30
VT_FILETIME = 64
# Name space of the derived package codes (fixed; any value would do).
PACKAGE_CODE_NAMESPACE = uuid.UUID("6f1c2b1e-54a8-4c38-9a3f-0d8e5b7c2a91")
PLACEHOLDER_CODE = b"{00000000-0000-0000-0000-000000000000}"

ENDOFCHAIN = 0xFFFFFFFE


def fail(message):
    sys.exit("make_package: " + message)


class CompoundFile:
    """Just enough of the compound file format to rewrite one stream in place."""

    def __init__(self, data):
        if data[:8] != b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1":
            raise ValueError("not a compound file")
        self.data = data
        self.sector_size = 1 << struct.unpack_from("<H", data, 0x1E)[0]
        self.mini_size = 1 << struct.unpack_from("<H", data, 0x20)[0]
        (self.first_dir, _, self.cutoff, self.first_minifat, _, first_difat,
         difat_count) = struct.unpack_from("<IIIIIII", data, 0x30)
        fat_sectors = list(struct.unpack_from("<109I", data, 0x4C))
        per_sector = self.sector_size // 4
        sector = first_difat
        for _ in range(difat_count):
            entries = struct.unpack_from("<%dI" % per_sector, data, self._offset(sector))
            fat_sectors += entries[:-1]
            sector = entries[-1]
        self.fat = []
        for s in fat_sectors:
            if s < 0xFFFFFFFA:
                self.fat += struct.unpack_from("<%dI" % per_sector, data, self._offset(s))
        self.minifat = []
        for s in self._chain(self.first_minifat, self.fat):
            self.minifat += struct.unpack_from("<%dI" % per_sector, data, self._offset(s))
        self.directory = [self._offset(s) + i
                          for s in self._chain(self.first_dir, self.fat)
                          for i in range(0, self.sector_size, 128)]
        root = self.directory[0]
        self.ministream = [self._offset(s) for s in
                           self._chain(struct.unpack_from("<I", data, root + 116)[0], self.fat)]

    def _offset(self, sector):
        return (sector + 1) * self.sector_size

    @staticmethod
    def _chain(start, table):
        sectors = []
        while start != ENDOFCHAIN:
            if start >= len(table) or len(sectors) > len(table):
                raise ValueError("broken sector chain")
            sectors.append(start)
            start = table[start]
        return sectors

    def stream_offsets(self, name):
        """File offset of every byte of the stream, in order."""
        for entry in self.directory:
            length = struct.unpack_from("<H", self.data, entry + 64)[0]
            if length < 2 or self.data[entry + 66] != 2:  # 2: a stream
                continue
            if self.data[entry:entry + length - 2].decode("utf-16-le") != name:
                continue
            start, size = struct.unpack_from("<IQ", self.data, entry + 116)
            offsets = []
            if size < self.cutoff:
                per_sector = self.sector_size // self.mini_size
                for s in self._chain(start, self.minifat):
                    base = self.ministream[s // per_sector] + (s % per_sector) * self.mini_size
                    offsets += range(base, base + self.mini_size)
            else:
                for s in self._chain(start, self.fat):
                    offsets += range(self._offset(s), self._offset(s) + self.sector_size)
            return offsets[:size]
        raise ValueError("no stream " + repr(name))


def property_offsets(stream):
    """{property id: (type, offset of its value)} of a one-section property set."""
    if struct.unpack_from("<H", stream, 0)[0] != 0xFFFE:
        raise ValueError("not a property set")
    section = struct.unpack_from("<I", stream, 44)[0]
    count = struct.unpack_from("<I", stream, section + 4)[0]
    props = {}
    for i in range(count):
        pid, off = struct.unpack_from("<II", stream, section + 8 + 8 * i)
        props[pid] = (struct.unpack_from("<I", stream, section + off)[0], section + off + 4)
    return props


def normalize(path):
    """Fixed times and a content-derived package code in the package's summary information."""
    with open(path, "rb") as f:
        data = bytearray(f.read())
    try:
        offsets = CompoundFile(data).stream_offsets(SUMMARY_STREAM)
    except (ValueError, struct.error) as e:
        fail("%s: %s" % (path, e))
    stream = bytearray(data[o] for o in offsets)
    props = property_offsets(stream)

    filetime = (FIXED_TIME + FILETIME_EPOCH_OFFSET) * 10000000
    for pid in (PID_CREATE_DTM, PID_LASTSAVE_DTM):
        if pid in props:
            kind, at = props[pid]
            if kind != VT_FILETIME:
                fail("%s: summary property %d is not a time" % (path, pid))
            struct.pack_into("<Q", stream, at, filetime)
    kind, at = props.get(PID_REVNUMBER, (None, 0))
    if kind != VT_LPSTR or struct.unpack_from("<I", stream, at)[0] != len(PLACEHOLDER_CODE) + 1:
        fail("%s: no package code of the expected form" % path)
    code_at = at + 4

    def write(code):
        stream[code_at:code_at + len(code)] = code
        for o, b in zip(offsets, stream):
            data[o] = b

    write(PLACEHOLDER_CODE)
    digest = hashlib.sha256(data).hexdigest()
    write(("{%s}" % uuid.uuid5(PACKAGE_CODE_NAMESPACE, digest)).upper().encode("ascii"))
    with open(path, "wb") as f:
        f.write(data)


def build(wixl, output, source, options):
    source = os.path.abspath(source)
    output = os.path.abspath(output)
    with tempfile.TemporaryDirectory(prefix="make_package.") as work:
        # wixl looks files up from its current folder first.
        staged = os.path.join(work, "src")
        shutil.copytree(os.path.dirname(source), staged,
                        ignore=shutil.ignore_patterns(".*", "__pycache__"))
        for folder, dirs, files in os.walk(staged):
            for name in dirs + files:
                os.utime(os.path.join(folder, name), (FIXED_TIME, FIXED_TIME))
        env = dict(os.environ, TZ="UTC")
        command = [wixl, "-o", output] + options + [os.path.join(staged, os.path.basename(source))]
        result = subprocess.run(command, cwd=staged, env=env)
        if result.returncode != 0:
            if os.path.exists(output):
                os.remove(output)
            sys.exit(result.returncode)
    try:
        normalize(output)
    except BaseException:
        os.remove(output)  # no half-made package for the next build to take as done
        raise


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    wixl, output, source = sys.argv[1:4]
    build(wixl, output, source, sys.argv[4:])


if __name__ == "__main__":
    main()
