#!/usr/bin/env python3
"""Runs the built setup once in a throwaway Wine prefix with a simulated 64-bit
Outlook and tells what happened. Called by tools/demo after the build."""
import base64
import os
import sys

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
import harness  # noqa: E402

X64_UPGRADE_CODE = "{5B0E64C1-2C7D-4E5A-9A51-3F6D2B8A7C11}"


def main():
    build_dir = sys.argv[1]
    harness.ensure_template(harness.load_config(build_dir))
    s = harness.Scenario(build_dir, "demo")
    with s:
        print("== A throwaway Wine prefix: %s" % s.prefix)
        print("== Simulating a 64-bit Outlook (a package registering Outlook's component)")
        s.install_fixture("fake_outlook_x64")
        print("== Running TolvaneSetup.exe")
        result = s.run_setup(msi_trace=True, allow_unscripted=True)
        for d in result.dialogs:
            print("   window %r: %r -> %s" % (d["caption"], d["text"] or d["class"], d["answer"]))
        if not result.dialogs:
            print("   no dialog was shown")
        for c in result.msi_commands:
            print("   Windows Installer was given %s" % c["package"])
            print("   with the command line: %s" % c["command_line"])
        print("   setup exit code: %s" % result.exit_code)

        print("== What the machine looks like now")
        products = s.related_products(X64_UPGRADE_CODE)
        if products:
            for code in products:
                print("   installed: %s %s, version %s, in %s" % (
                    s.product_info(code, "ProductName"), code,
                    s.product_info(code, "VersionString"), s.product_info(code, "InstallLocation")))
        else:
            print("   the 64-bit add-in is NOT installed")
        for entry in s.package_cache_entries():
            print("   package cache: %s" % entry)
        for view in (32, 64):
            value = s.reg_get(view, harness.PRODUCT_KEY, "SourceInfo")
            if value is None:
                print("   SourceInfo (%d-bit view): not written" % view)
            else:
                text = value.get("text", "")
                record = base64.b64decode(text.replace("\r\n", "")).decode("utf-16-le", "replace")
                print("   SourceInfo (%d-bit view): %s" % (view, record))
    return 0 if products else 1


if __name__ == "__main__":
    sys.exit(main())
