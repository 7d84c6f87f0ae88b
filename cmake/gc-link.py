#!/usr/bin/env python3
"""Links the setup so that --gc-sections can drop unused functions.

GNU ld's script for x64 Windows keeps every .pdata section (KEEP), and each one
points at its function, so no function of a linked object is ever collected.
This link launcher links three times at most:

1. with a script that keeps no function's unwind entry, to learn which functions
   code and data reach (that output is thrown away);
2. with a script that keeps the unwind entries of exactly those functions;
3. again, should the second link reach a function the first did not (a vtable
   reached only from an exception table, say), until nothing is missing.

The final link is checked: every function it holds whose object had an unwind
entry for it has that entry. Usage (CMake's CXX_LINKER_LAUNCHER):
gc-link.py <compiler> <link arguments...>
"""
import os
import re
import subprocess
import sys

SECTION = re.compile(r"^ (\.(?:text|pdata)[$.]\S*)(?:\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*))?$")
PLACED = re.compile(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")


def fail(message):
    sys.stderr.write("gc-link: %s\n" % message)
    sys.exit(1)


def output_index(args):
    for i, arg in enumerate(args):
        if arg == "-o" and i + 1 < len(args):
            return i + 1
    fail("no -o in the link command")


def writing_to(args, path):
    i = output_index(args)
    return args[:i] + [path] + args[i + 1:]


def run(command):
    result = subprocess.run(command)
    if result.returncode != 0:
        sys.exit(result.returncode)


def default_script(compiler, args, work):
    """The linker's own script for this very link, as it prints it."""
    probe = subprocess.run([compiler] + writing_to(args, work + ".probe.exe") + ["-Wl,--verbose"],
                           capture_output=True, text=True)
    if probe.returncode != 0:
        sys.stderr.write(probe.stderr)
        sys.exit(probe.returncode)
    parts = probe.stdout.split("==================================================")
    if len(parts) < 3:
        fail("the linker printed no script")
    return parts[1]


def with_unwind_entries(script, kept):
    """The script with the unwind entries (.pdata) and data (.xdata) of the given
    functions kept and those of every other function discarded. Objects built
    without a section per function have plain .pdata/.xdata, kept as before."""
    for keep_all in ("KEEP(*(.pdata*))", "KEEP(*(.xdata*))", "/DISCARD/ :\n  {\n"):
        if keep_all not in script:
            fail("unexpected default script: no %r" % keep_all)
    for kind in ("pdata", "xdata"):
        names = "".join("    KEEP(*(.%s%s))\n" % (kind, suffix) for suffix in sorted(kept))
        script = script.replace("KEEP(*(.%s*))" % kind, "KEEP(*(.%s))\n%s" % (kind, names))
    # The linker would keep unreferenced unwind sections and resolve their
    # references to collected functions to zero: they are dropped instead.
    return script.replace("/DISCARD/ :\n  {\n", "/DISCARD/ :\n  {\n    *(.pdata*)\n    *(.xdata*)\n", 1)


def read_map(path):
    """(placed, known): placed = {(file, section)} of functions and unwind entries
    in the output; known = the same pairs of every input, placed or not."""
    placed, known = set(), set()
    pending = None
    in_memory_map = False
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("Linker script and memory map"):
                in_memory_map = True
                continue
            if pending:
                m = PLACED.match(line)
                if m:
                    record(pending, int(m.group(1), 16), int(m.group(2), 16), m.group(3),
                           in_memory_map, placed, known)
                pending = None
                continue
            m = SECTION.match(line)
            if not m:
                continue
            if m.group(2) is None:
                pending = m.group(1)
            else:
                record(m.group(1), int(m.group(2), 16), int(m.group(3), 16), m.group(4),
                       in_memory_map, placed, known)
    return placed, known


def record(section, address, size, source, in_memory_map, placed, known):
    known.add((source, section))
    if in_memory_map and address and size:
        placed.add((source, section))


def unwind_name(text_section):
    return ".pdata" + text_section[len(".text"):]


def function_suffix(text_section):
    return text_section[len(".text"):]


def main():
    if len(sys.argv) < 3:
        fail("usage: gc-link.py <compiler> <link arguments...>")
    compiler, args = sys.argv[1], sys.argv[2:]
    if "-Wl,--gc-sections" not in args:
        run([compiler] + args)
        return
    work = args[output_index(args)] + ".gc"
    script = default_script(compiler, args, work)

    # 1: what code and data reach, with no unwind entry kept.
    with open(work + ".1.ld", "w") as f:
        f.write(with_unwind_entries(script, set()))
    run([compiler] + writing_to(args, work + ".1.exe") + [
        "-Wl,-T," + work + ".1.ld", "-Wl,-Map=" + work + ".1.map",
        "-Wl,--undefined=__gxx_personality_seh0"])
    placed, known = read_map(work + ".1.map")
    kept = {function_suffix(s) for _, s in placed if s.startswith(".text")}

    for attempt in range(2, 6):
        with open(work + ".ld", "w") as f:
            f.write(with_unwind_entries(script, kept))
        run([compiler] + args + ["-Wl,-T," + work + ".ld", "-Wl,-Map=" + work + ".map"])
        placed, known = read_map(work + ".map")
        missing = {(src, unwind_name(s)) for src, s in placed if s.startswith(".text")
                   and (src, unwind_name(s)) in known and (src, unwind_name(s)) not in placed}
        if not missing:
            for suffix in (".1.ld", ".1.map", ".1.exe", ".probe.exe"):
                if os.path.exists(work + suffix):
                    os.remove(work + suffix)
            return
        kept |= {name[len(".pdata"):] for _, name in missing}
    fail("functions without unwind entries after %d links: %s"
         % (attempt, ", ".join(sorted(n for _, n in missing))[:2000]))


if __name__ == "__main__":
    main()
