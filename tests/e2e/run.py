#!/usr/bin/env python3
"""Runs one scenario function in its own Wine prefix.

    run.py <scenario file> <function> --build-dir <build tree>
    run.py --init-template --build-dir <build tree>

Exit status: 0 passed, 1 failed, 77 skipped (CTest's SKIP_RETURN_CODE).
"""

import argparse
import importlib.util
import os
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

SKIPPED = 77


def load_function(path, name):
    spec = importlib.util.spec_from_file_location(
        "scenario_" + os.path.splitext(os.path.basename(path))[0], path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return getattr(module, name)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("file", nargs="?")
    parser.add_argument("function", nargs="?")
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--init-template", action="store_true")
    args = parser.parse_args()

    if args.init_template:
        harness.ensure_template(harness.load_config(args.build_dir))
        return 0

    fn = load_function(args.file, args.function)
    stem = os.path.splitext(os.path.basename(args.file))[0]
    name = "%s.%s" % (stem, args.function)
    start = time.monotonic()
    scenario = harness.Scenario(args.build_dir, name)
    status = 0
    try:
        with scenario:
            fn(scenario)
    except harness.Skip as e:
        print("SKIPPED:", e)
        status = SKIPPED
    except Exception:
        traceback.print_exc()
        print("\n--- Wine calls of this scenario ---")
        for command, code, output in scenario.transcript:
            print("$", " ".join(command) if isinstance(command, list) else command, "->", code)
            if output.strip():
                print(output.rstrip())
        status = 1
    print("%s: %.1f s" % (name, time.monotonic() - start))
    return status


if __name__ == "__main__":
    sys.exit(main())
