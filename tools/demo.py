#!/usr/bin/env python3
"""Runs the built setup once in a throwaway Wine prefix with a simulated 64-bit
Outlook and tells what happened; saves a screenshot of the finish screen (Xvfb)
beside one of the welcome page as Chromium renders it. Called by tools/demo after
the build."""
import base64
import os
import subprocess
import sys

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
import harness  # noqa: E402

X64_UPGRADE_CODE = "{5B0E64C1-2C7D-4E5A-9A51-3F6D2B8A7C11}"
FINISH_TITLE = "Quorvel Outlook Tolvane"


def main():
    build_dir = os.path.abspath(sys.argv[1])
    harness.ensure_template(harness.load_config(build_dir))
    s = harness.Scenario(build_dir, "demo")
    with s:
        print("== A throwaway Wine prefix: %s" % s.prefix)
        print("== Simulating a 64-bit Outlook (a package registering Outlook's component)")
        s.install_fixture("fake_outlook_x64")
        print("== Running TolvaneSetup.exe")
        shots = os.path.join(build_dir, "demo")
        os.makedirs(shots, exist_ok=True)
        finish_png = os.path.join(shots, "finish-screen.png")

        def screenshot(dialog):
            if dialog["caption"] != FINISH_TITLE:
                return
            left, top, right, bottom = dialog["window"]
            subprocess.run(["/usr/bin/import", "-window", "root", "-crop",
                            "%dx%d+%d+%d" % (right - left, bottom - top, left, top), "+repage",
                            finish_png], check=False)

        # The finish screen stays up a moment for its picture, then is closed.
        result = s.run_setup(answers=["wait:2500+close"], msi_trace=True, allow_unscripted=True,
                             on_dialog=screenshot)
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
        print("== Screenshots")
        if os.path.exists(finish_png):
            print("   finish screen: %s" % finish_png)
        else:
            print("   finish screen: not taken (was it shown?)")
        page_png = page_screenshot(build_dir, shots, s.prefix)
        print("   welcome page in Chromium: %s" % (page_png or "not taken"))
    return 0 if products else 1


def page_screenshot(build_dir, shots, prefix):
    """The welcome page as the setup writes it, rendered by headless Chromium (the page
    test's own writer and checker); None when it could not be taken."""
    writer = os.path.join(build_dir, "tests", "unit", "page", "page_writer.exe")
    if not os.path.exists(writer):
        return None
    work = os.path.join(shots, "page")
    env = dict(os.environ, WINEPREFIX=prefix)
    done = subprocess.run([os.path.join(root, "tests", "page", "render-page"), writer, work,
                           os.path.join(build_dir, "node")], env=env,
                          stdout=subprocess.DEVNULL)
    png = os.path.join(work, "page-view.png")
    return png if done.returncode == 0 and os.path.exists(png) else None


if __name__ == "__main__":
    sys.exit(main())
