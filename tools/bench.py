#!/usr/bin/env python3
"""The benchmark behind tools/bench: builds the setup with a 1 MB and a 20 MB
package of random (incompressible) bulk, prepares one Wine prefix with a
simulated 64-bit Outlook, and in fresh copies of it times, alternately, the setup
with the 20 MB package (the pilot closes the finish screen at once) and bare
`msiexec /i /qn` of the same package. The pilot times each program from its start
to its end and samples its memory.

    bench.py --source-dir <tree> [--build-dir <dir>] [--rounds N]
"""
import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys

# The add-in package of the tree with one more file: the bulk.
ANCHOR = '<File Id="Readme" Name="Readme.txt" Source="files/Readme.txt"/>'
BULK = '\n              <File Id="Bulk" Name="bulk.bin" Source="bulk.bin"/>'
SIZES = [("1mb", 1 << 20), ("20mb", 20 << 20)]
# The sample package's codes for 64-bit Outlook: the setup installs it fresh.
PRODUCT_CODE = "{FF962B0B-5DC8-4600-8BEE-46CCFC777E89}"
UPGRADE_CODE = "{5B0E64C1-2C7D-4E5A-9A51-3F6D2B8A7C11}"
MEMORY_RUNS = 3  # setup runs with the 1 MB package, for its memory
MB = 1 << 20


def run(command, **kwargs):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, **kwargs)
    if result.returncode != 0:
        print(result.stdout.decode("utf-8", "replace")[-6000:])
        sys.exit("bench: %s failed (%d)" % (" ".join(command), result.returncode))


def make_package(source, work, name, size):
    """A package of the add-in with `size` bytes of random bulk; made afresh each time."""
    folder = os.path.join(work, "package-" + name)
    shutil.rmtree(folder, ignore_errors=True)
    shutil.copytree(os.path.join(source, "res", "packages"), folder,
                    ignore=shutil.ignore_patterns("*.cmake", "*.md", "*.py", "__pycache__"))
    wxs = os.path.join(folder, "TolvaneAddin.wxs")
    with open(wxs, encoding="utf-8") as f:
        text = f.read()
    if ANCHOR not in text:
        sys.exit("bench: %s no longer has %s" % (wxs, ANCHOR))
    with open(wxs, "w", encoding="utf-8") as f:
        f.write(text.replace(ANCHOR, ANCHOR + BULK))
    with open(os.path.join(folder, "bulk.bin"), "wb") as f:
        f.write(os.urandom(size))
    msi = os.path.join(work, "TolvaneBench-%s.msi" % name)
    run([sys.executable, os.path.join(source, "res", "packages", "make_package.py"),
         shutil.which("wixl") or "wixl", msi, wxs, "-a", "x64", "-D", "Arch=x64",
         "-D", "ProductCode=" + PRODUCT_CODE, "-D", "UpgradeCode=" + UPGRADE_CODE,
         "-D", "ProductVersion=1.0.0", "-D", "InstallDirName=Outlook Tolvane",
         "-D", "FailInstall=0"])
    return msi


def build_setups(source, work, build, packages):
    """{name: setup exe} built with -DTOLVANE_PACKAGE_X64=<package>, plus the pilot
    and the fake Outlook package in the same build folder."""
    setups = {}
    targets = ["TolvaneSetup", "e2e_pilot", "e2e_package_fake_outlook_x64"]
    for name, msi in packages.items():
        run(["cmake", "--preset", "release", "-B", build, "-DTOLVANE_PACKAGE_X64=" + msi],
            cwd=source)
        run(["cmake", "--build", build, "-j", str(os.cpu_count() or 2), "--target"] + targets)
        targets = ["TolvaneSetup"]
        folder = os.path.join(work, name)
        os.makedirs(folder, exist_ok=True)
        setups[name] = os.path.join(folder, "TolvaneSetup.exe")
        shutil.copy(os.path.join(build, "TolvaneSetup.exe"), setups[name])
    return setups


def prepare_prefix(harness, config):
    """The template prefix with the simulated 64-bit Outlook installed; every timed
    run works in a fresh copy of it."""
    harness.ensure_template(config)
    prepared = os.path.join(config["prefixes_dir"], "bench-outlook-x64")
    shutil.rmtree(prepared, ignore_errors=True)
    run(["cp", "-a", config["template_prefix"], prepared])
    env = dict(os.environ, WINEPREFIX=prepared, WINEDEBUG="-all", WINEARCH="win64",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    fixture = os.path.join(config["fixtures_dir"], "fake_outlook_x64.msi")
    run(["wine", "msiexec", "/i", "Z:" + fixture.replace("/", "\\"), "/qn"], env=env,
        stdin=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], env=env)
    return prepared


class Bench:
    def __init__(self, harness, build, prepared):
        self.harness = harness
        self.build = build
        self.prepared = prepared
        self.runs = 0

    def _scenario(self, kind):
        self.runs += 1
        s = self.harness.Scenario(self.build, "bench-%d-%s" % (self.runs, kind))
        s.config = dict(s.config, template_prefix=self.prepared)
        return s

    @staticmethod
    def _measure(s, events):
        start = [e for e in events if e.get("event") == "start"]
        end = [e for e in events if e.get("event") == "exit"]
        if not start or not end:
            raise AssertionError("no start or exit in the pilot's log: %r" % events)
        if end[-1]["code"] != 0:
            raise AssertionError("exit code %d: %r" % (end[-1]["code"], events))
        if s.related_products(UPGRADE_CODE) != [PRODUCT_CODE]:
            raise AssertionError("the package was not installed: %r" % events)
        return {"seconds": (end[-1]["ms"] - start[0]["ms"]) / 1000.0,
                "peak_private": end[-1].get("peak_private"),
                "peak_working_set": end[-1].get("peak_working_set")}

    def setup(self, exe):
        with self._scenario("setup") as s:
            result = s.run_setup(exe=exe, answers=["close"], timeout=600)
            return self._measure(s, result.events)

    def msiexec(self, msi):
        with self._scenario("msiexec") as s:
            local = r"C:\e2e\TolvaneBench.msi"
            shutil.copy(msi, s.windows_to_host(local))
            log = r"C:\e2e\msiexec-log.txt"
            s.wine([s.pilot_exe, "run", "--log", log, "--timeout", "600", "--",
                    "msiexec.exe", "/i", local, "/qn"], timeout=660, check=False)
            with open(s.windows_to_host(log), encoding="utf-8") as f:
                events = [json.loads(line) for line in f if line.strip()]
            return self._measure(s, events)


def spread(values):
    return min(values), statistics.median(values), max(values)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--build-dir")
    parser.add_argument("--rounds", type=int, default=9)
    args = parser.parse_args()
    source = os.path.abspath(args.source_dir)
    work = os.path.abspath(args.build_dir or os.path.join(source, "build", "bench"))
    build = os.path.join(work, "build")
    os.makedirs(work, exist_ok=True)
    sys.path.insert(0, os.path.join(source, "tests", "e2e"))
    import harness

    print("Making packages with random bulk and building the setups in %s ..." % work, flush=True)
    packages = {name: make_package(source, work, name, size) for name, size in SIZES}
    setups = build_setups(source, work, build, packages)
    config = harness.load_config(build)
    prepared = prepare_prefix(harness, config)
    bench = Bench(harness, build, prepared)

    print("Warm-up, then %d rounds, each the setup and msiexec in turn ..." % args.rounds,
          flush=True)
    bench.setup(setups["20mb"])
    bench.msiexec(packages["20mb"])
    setup_runs, msiexec_runs = [], []
    for i in range(args.rounds):
        # Alternate which goes first, so a drift of the machine falls on both.
        pair = [lambda: bench.setup(setups["20mb"]), lambda: bench.msiexec(packages["20mb"])]
        if i % 2:
            msiexec_runs.append(pair[1]())
            setup_runs.append(pair[0]())
        else:
            setup_runs.append(pair[0]())
            msiexec_runs.append(pair[1]())
        print("  round %d: setup %.2f s, msiexec %.2f s"
              % (i + 1, setup_runs[-1]["seconds"], msiexec_runs[-1]["seconds"]), flush=True)
    small_runs = [bench.setup(setups["1mb"]) for _ in range(MEMORY_RUNS)]

    setup_times = [r["seconds"] for r in setup_runs]
    msiexec_times = [r["seconds"] for r in msiexec_runs]
    pair_ratios = [a / b for a, b in zip(setup_times, msiexec_times)]
    print()
    print("20 MB package, %d rounds (wall time from start to end of the program, seconds):"
          % args.rounds)
    print("  %-20s %8s %8s %8s" % ("", "min", "median", "max"))
    print("  %-20s %8.2f %8.2f %8.2f" % (("setup",) + spread(setup_times)))
    print("  %-20s %8.2f %8.2f %8.2f" % (("msiexec /i /qn",) + spread(msiexec_times)))
    print("  median ratio setup / msiexec: %.2f (ratio of the medians; per round: "
          "min %.2f, median %.2f, max %.2f)"
          % ((statistics.median(setup_times) / statistics.median(msiexec_times),)
             + spread(pair_ratios)))
    print()
    print("Setup's peak private memory (MB; median of its runs, peak working set beside):")
    for label, runs in (("1 MB package", small_runs), ("20 MB package", setup_runs)):
        private = [r["peak_private"] / MB for r in runs if r["peak_private"] is not None]
        working = [r["peak_working_set"] / MB for r in runs if r["peak_working_set"] is not None]
        if private:
            print("  %-14s %6.1f (min %.1f, max %.1f); working set %.1f"
                  % ((label, statistics.median(private)) + spread(private)[::2]
                     + (statistics.median(working),)))
        else:
            print("  %-14s not reported by the pilot" % label)
    msiexec_private = [r["peak_private"] / MB for r in msiexec_runs if r["peak_private"]]
    if msiexec_private:
        print("  (msiexec with the 20 MB package: %.1f)" % statistics.median(msiexec_private))
    print("  Wine's private bytes are resident anonymous memory; its loader reads an image\n"
          "  whose file alignment is below the page size into such memory, so there the\n"
          "  embedded packages count once in full (Windows maps them from the file).")
    with open(os.path.join(work, "bench-results.json"), "w") as f:
        json.dump({"setup_20mb": setup_runs, "msiexec_20mb": msiexec_runs,
                   "setup_1mb": small_runs}, f, indent=1)
    print("\nEvery run: %s" % os.path.join(work, "bench-results.json"))


if __name__ == "__main__":
    main()
