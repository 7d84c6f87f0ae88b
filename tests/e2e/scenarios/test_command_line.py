"""Deployment tools run the setup unattended and judge it by its exit code: quiet
and passive runs, one log file for the setup and Windows Installer, the packages
extracted instead of installed, and a command line refused before anything
happens. A run without arguments is the interactive one (test_finish_screen)."""

import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from test_install import BITNESS, FRESH, install_commands, install_old
from test_source_info import assert_nothing_stored, assert_record_stored, built_record

CAPTION = "Quorvel Tolvane"
FINISH_TITLE = "Quorvel Outlook Tolvane"
PLATFORM_UNSUPPORTED = 1633
INSTALL_FAILURE = 1603
LOG_FAILURE = 1622
INVALID_COMMAND_LINE = 1639
# Windows Installer's user interface levels as Wine's trace prints them.
UI_NONE = "00000002"
UI_PASSIVE = "00000043"  # INSTALLUILEVEL_BASIC | INSTALLUILEVEL_PROGRESSONLY


def ui_level(result):
    """The level the setup asked for: the first call (Wine's Windows Installer makes
    its own when it removes an older version)."""
    return [args[0] for args in result.msi_calls("MsiSetInternalUI")][:1]


def assert_nothing_installed(s):
    for bits in ("x64", "x86"):
        assert s.related_products(BITNESS[bits]["family"]) == [], "%s add-in installed" % bits
    assert_nothing_stored(s)


def embedded_packages(s):
    """{resource id: bytes} of the packages this build embeds, from its resource script."""
    script = os.path.join(s.build_dir, "res", "packages", "Packages.rc")
    packages = {}
    with open(script, encoding="utf-8") as f:
        for line in f:
            m = re.match(r'\s*(\d+)\s+MSI\s+"([^"]+)"', line)
            if m:
                with open(m.group(2), "rb") as package:
                    packages[int(m.group(1))] = package.read()
    assert set(packages) == {101, 102}, packages.keys()
    return packages


def test_quiet_fresh_install_shows_nothing(s):
    record = built_record(s)
    b = BITNESS["x64"]
    s.install_fixture(b["outlook"])
    result = s.run_setup(args=["/quiet"], msi_trace=True)
    assert not result.timed_out, result
    # Not a single window: no box, no Windows Installer dialog, no finish screen.
    assert result.dialogs == [], result
    assert ui_level(result) == [UI_NONE], ui_level(result)
    assert install_commands(result) == [FRESH], result.msi_commands
    assert s.related_products(b["family"]) == [b["product"]]
    assert_record_stored(s, record)
    assert result.exit_code == 0, result


def test_quiet_replaces_older_version_without_asking(s):
    b = BITNESS["x86"]
    old_folder = install_old(s, "x86")
    result = s.run_setup(args=["-Q"], msi_trace=True)
    assert not result.timed_out, result
    assert result.dialogs == [], result
    assert install_commands(result) == [FRESH + ' OLDINSTALLATIONPATH="%s"' % old_folder]
    assert b["product"] in s.related_products(b["family"])
    assert result.exit_code == 0, result


def test_quiet_without_outlook_ends_with_its_code(s):
    result = s.run_setup(args=["/quiet"])
    assert not result.timed_out, result
    assert result.dialogs == [], result
    assert_nothing_installed(s)
    assert s.package_cache_entries() == []
    assert result.exit_code == PLATFORM_UNSUPPORTED, result


def test_quiet_failing_package_shows_no_installer_message(s):
    # The same package shows its launch condition's message in an interactive run
    # (test_install); with no user interface the code alone tells.
    s.install_fixture(BITNESS["x64"]["outlook"])
    exe = os.path.join(s.fixtures_dir, "TolvaneSetupFailing.exe")
    result = s.run_setup(exe=exe, args=["/quiet"], msi_trace=True)
    assert not result.timed_out, result
    assert result.dialogs == [], result
    assert install_commands(result) == [FRESH]
    assert result.exit_code == INSTALL_FAILURE, result


def test_passive_asks_nothing_and_skips_finish_screen(s):
    record = built_record(s)
    b = BITNESS["x64"]
    old_folder = install_old(s, "x64")
    result = s.run_setup(args=["/passive"], msi_trace=True)
    assert not result.timed_out, result
    # No question about the older version and no finish screen (Wine's Windows
    # Installer has no progress window of its own to show).
    assert [d for d in result.dialogs if d["caption"] in (CAPTION, FINISH_TITLE)] == [], result
    assert ui_level(result) == [UI_PASSIVE], ui_level(result)
    assert install_commands(result) == [FRESH + ' OLDINSTALLATIONPATH="%s"' % old_folder]
    assert b["product"] in s.related_products(b["family"])
    assert_record_stored(s, record)
    assert result.exit_code == 0, result


def test_log_holds_setup_lines_around_installer_log(s):
    s.install_fixture(BITNESS["x64"]["outlook"])
    log = r"C:\e2e\deployment logs\tolvane setup.log"
    os.makedirs(os.path.dirname(s.windows_to_host(log)), exist_ok=True)
    result = s.run_setup(args=["/quiet", "/log", log], msi_trace=True)
    assert not result.timed_out, result
    assert result.dialogs == [], result
    assert result.exit_code == 0, result
    assert result.msi_calls("MsiEnableLogA") == [["0x3fdf", log, "0x1"]], result.msi_calls(
        "MsiEnableLogA")
    with open(s.windows_to_host(log), encoding="latin-1") as f:
        lines = f.read().splitlines()
    own = [i for i, line in enumerate(lines) if line.startswith("TolvaneSetup: ")]
    # The setup's decisions first, Windows Installer's log in one piece, then the result.
    assert own[:4] == list(range(4)) and own[4:] == [len(lines) - 2, len(lines) - 1], lines
    assert lines[0] == 'TolvaneSetup: Command line: C:\\e2e\\TolvaneSetup.exe /quiet /log "%s"' % log
    assert lines[1] == "TolvaneSetup: Outlook: 64-bit", lines
    package = result.msi_commands[0]["package"]
    assert lines[2] == ("TolvaneSetup: Package %s: product %s, version 1.0.0, not installed"
                        % (package, BITNESS["x64"]["product"])), lines
    assert lines[3] == "TolvaneSetup: Windows Installer command line: " + FRESH, lines
    installer = lines[4:-2]
    assert len(installer) > 20 and any("Logging started" in line for line in installer), installer
    assert lines[-2:] == ["TolvaneSetup: Windows Installer returned 0", "TolvaneSetup: Exit code 0"]


def test_log_in_missing_folder_installs_nothing(s):
    s.install_fixture(BITNESS["x64"]["outlook"])
    log = r"C:\e2e\no such folder\setup.log"
    result = s.run_setup(args=["/log", log], answers=["ok"])
    assert not result.timed_out, result
    assert [d["caption"] for d in result.dialogs] == ["Error"], result
    assert log in result.dialogs[0]["text"], result
    assert not os.path.exists(s.windows_to_host(log))
    assert_nothing_installed(s)
    assert s.package_cache_entries() == []
    assert result.exit_code == LOG_FAILURE, result


def test_extract_writes_both_packages_and_installs_nothing(s):
    packages = embedded_packages(s)
    folder = r"C:\e2e\admin share\tolvane 1.0"
    result = s.run_setup(args=["/extract", folder])
    assert not result.timed_out, result
    assert result.dialogs == [], result
    assert result.exit_code == 0, result
    host = s.windows_to_host(folder)
    assert sorted(os.listdir(host)) == ["QuorvelOutlookTolvane-x64.msi",
                                        "QuorvelOutlookTolvane-x86.msi"]
    for name, resource in (("QuorvelOutlookTolvane-x64.msi", 101),
                           ("QuorvelOutlookTolvane-x86.msi", 102)):
        with open(os.path.join(host, name), "rb") as f:
            assert f.read() == packages[resource], name
    # No Outlook was needed, and nothing was installed, cached or recorded.
    assert_nothing_installed(s)
    assert s.package_cache_entries() == []

    # A second run leaves identical files alone; another file in the way is refused.
    assert s.run_setup(args=["/extract", folder]).exit_code == 0
    other = os.path.join(host, "QuorvelOutlookTolvane-x86.msi")
    with open(other, "wb") as f:
        f.write(b"not the package")
    os.remove(os.path.join(host, "QuorvelOutlookTolvane-x64.msi"))
    result = s.run_setup(args=["/extract", folder], answers=["ok"])
    assert [d["caption"] for d in result.dialogs] == ["Error"], result
    assert result.exit_code == INSTALL_FAILURE, result
    assert os.listdir(host) == ["QuorvelOutlookTolvane-x86.msi"]
    with open(other, "rb") as f:
        assert f.read() == b"not the package"


def test_unknown_option_shows_usage(s):
    s.install_fixture(BITNESS["x64"]["outlook"])
    result = s.run_setup(args=["/silent"], answers=["ok"], msi_trace=True)
    assert not result.timed_out, result
    assert [d["caption"] for d in result.dialogs] == [CAPTION], result
    text = result.dialogs[0]["text"]
    assert text.startswith("Unknown option '/silent'.\n\n"), text
    assert "/extract <folder>" in text and "1639" in text, text
    assert result.msi_calls("MsiInstallProductA") == []
    assert_nothing_installed(s)
    assert result.exit_code == INVALID_COMMAND_LINE, result

    # The usage asked for: the same box without the complaint, and 0.
    result = s.run_setup(args=["/?"], answers=["ok"])
    assert [(d["caption"], d["text"]) for d in result.dialogs] == [
        (CAPTION, text.split("\n\n", 1)[1])], result
    assert result.exit_code == 0, result
