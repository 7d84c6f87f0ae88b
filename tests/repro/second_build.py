#!/usr/bin/env python3
"""Builds the setup a second time, as another clone would: a plain copy of the
source tree (another path, fresh modification times), a build folder of its own,
the settings of the first build, and only the TolvaneSetup target.

    second_build.py <source dir> <work dir> <initial cache script> <generator>

Leaves <work dir>/src (the copy), <work dir>/build and <work dir>/TolvaneSetup.exe.
"""
import os
import shutil
import subprocess
import sys
import time


def tree_files(source):
    """Files of the working tree: git's tracked and untracked ones less the ignored,
    or, when the tree is not a git checkout of its own, everything but build/ and .git."""
    def git(*args):
        return subprocess.run(["git", "-C", source] + list(args), check=True,
                              capture_output=True).stdout.decode()

    try:
        if os.path.samefile(git("rev-parse", "--show-toplevel").strip(), source):
            return [p for p in git("ls-files", "-z", "-co", "--exclude-standard").split("\0") if p]
    except (OSError, subprocess.CalledProcessError):
        pass
    files = []
    for folder, dirs, names in os.walk(source):
        rel = os.path.relpath(folder, source)
        if rel == ".":
            dirs[:] = [d for d in dirs if d not in ("build", ".git")]
        files += [os.path.normpath(os.path.join(rel, n)) for n in names
                  if n != "__pycache__" and not n.endswith(".pyc")]
    return files


def copy_tree(source, target):
    for rel in tree_files(source):
        src = os.path.join(source, rel)
        if not os.path.lexists(src):  # deleted but not yet committed
            continue
        dst = os.path.join(target, rel)
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        # No copy2: the times are those of a fresh checkout.
        shutil.copy(src, dst, follow_symlinks=False)


def run(command):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if result.returncode != 0:
        lines = result.stdout.decode("utf-8", "replace").splitlines()
        print("\n".join(lines[-60:]))
        sys.exit("second build: %s failed (%d)" % (" ".join(command), result.returncode))


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    source, work, cache_script, generator = sys.argv[1:]
    copy = os.path.join(work, "src")
    build = os.path.join(work, "build")
    output = os.path.join(work, "TolvaneSetup.exe")
    for path in (copy, build, output):
        if os.path.isdir(path):
            shutil.rmtree(path)
        elif os.path.exists(path):
            os.remove(path)
    # Runs beside the Wine scenarios, whose pilot waits on windows: they go first.
    os.nice(10)
    start = time.monotonic()
    copy_tree(source, copy)
    run(["cmake", "-S", copy, "-B", build, "-G", generator, "-C", cache_script,
         "-DTOLVANE_BUILD_TESTS=OFF"])
    run(["cmake", "--build", build, "--target", "TolvaneSetup", "-j", str(os.cpu_count() or 2)])
    shutil.copy(os.path.join(build, "TolvaneSetup.exe"), output)
    print("second build from %s in %s: %.0f s" % (copy, build, time.monotonic() - start))


if __name__ == "__main__":
    main()
