"""Deployment scripts read the setup's exit code: Windows Installer's codes, the
first that applies. Refusals and failures are checked where they happen
(test_outlook_detection, test_install, test_package_cache); here the outcomes
that only these runs produce."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from test_source_info import assert_nothing_stored, assert_record_stored, built_record

FINISH_TITLE = "Quorvel Outlook Tolvane"
REBOOT_REQUIRED = 3010
INSTALL_SUSPEND = 1604
# The package of TolvaneSetupReboot (tests/e2e/installer/CMakeLists.txt).
REBOOT_FAMILY = "{BFDAA840-1E5B-4DFB-9FD8-258BD89A96B6}"
REBOOT_PRODUCT = "{C17481E1-3D38-4DC9-8DA0-2D8CB6A18AF3}"
ADDIN_X64 = "{5B0E64C1-2C7D-4E5A-9A51-3F6D2B8A7C11}"


def test_restart_required_is_an_installation_with_finish_screen(s):
    record = built_record(s)
    s.install_fixture("fake_outlook_x64")
    exe = os.path.join(s.fixtures_dir, "TolvaneSetupReboot.exe")
    with open(exe, "rb") as f:
        assert record in f.read(), "the reboot setup does not carry the record"
    result = s.run_setup(exe=exe, msi_trace=True)
    assert not result.timed_out, result
    assert len(result.msi_commands) == 1, result.msi_commands
    assert s.related_products(REBOOT_FAMILY) == [REBOOT_PRODUCT]
    assert [d["caption"] for d in result.dialogs] == [FINISH_TITLE], result
    assert_record_stored(s, record)
    assert result.exit_code == REBOOT_REQUIRED, result


def test_other_installer_result_is_passed_on(s):
    # Wine's Windows Installer suspends a package that forces a restart: 1604.
    s.install_fixture("fake_outlook_x64")
    exe = os.path.join(s.fixtures_dir, "TolvaneSetupSuspend.exe")
    result = s.run_setup(exe=exe, msi_trace=True)
    assert not result.timed_out, result
    assert len(result.msi_commands) == 1, result.msi_commands
    # No finish screen, and no box of the setup's own.
    assert result.dialogs == [], result
    assert_nothing_stored(s)
    assert result.exit_code == INSTALL_SUSPEND, result


def test_failing_finish_screen_keeps_the_installed_code(s):
    s.install_fixture("fake_outlook_x64")
    deep = s.too_deep_temp_folder()  # the finish screen's {GUID} folder cannot fit
    result = s.run_setup(answers=["ok"], env={"TMP": deep, "TEMP": deep})
    assert not result.timed_out, result
    assert s.related_products(ADDIN_X64), "not installed: %r" % result
    assert [d["caption"] for d in result.dialogs] == ["Error"], result
    assert_nothing_stored(s)
    assert result.exit_code == 0, result
