"""The package cache under ProgramData holds what the elevated setup hands to
Windows Installer. A cache folder the setup cannot make is an error the user
sees, and nothing is written anywhere else. (Owners, exact access lists and
junctions, which Wine does not keep, are covered by the unit tests.)"""

import os
import re

from harness import PRODUCT_KEY

INSTALL_FAILURE = 1603
ADDIN_X64 = "{5B0E64C1-2C7D-4E5A-9A51-3F6D2B8A7C11}"
GUID = re.compile(r"^\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}$")


def guid_entries(top):
    """Every {GUID}-named file or folder below top (links not followed)."""
    found = set()
    for folder, dirs, files in os.walk(top):
        found.update(os.path.join(folder, n) for n in dirs + files if GUID.match(n))
    return found


def test_cache_that_is_a_file_stops_before_anything_is_written(s):
    s.install_fixture("fake_outlook_x64")
    cache = os.path.join(s.common_appdata(), "MSI Cache")
    with open(cache, "w") as f:
        f.write("not a folder")
    # The setup's current folder is the prefix itself: a relative path lands there.
    before = guid_entries(s.prefix)
    result = s.run_setup(msi_trace=True)
    assert not result.timed_out, result
    assert [(d["caption"], d["text"]) for d in result.dialogs] == [
        ("Error", "Failed to create directory 'C:\\ProgramData\\MSI Cache'")], result
    assert result.msi_commands == [], result.msi_commands
    assert guid_entries(s.prefix) - before == set()
    with open(cache) as f:
        assert f.read() == "not a folder"
    assert s.related_products(ADDIN_X64) == []
    for view in (32, 64):
        assert s.reg_get(view, PRODUCT_KEY, "SourceInfo") is None
    assert result.exit_code == INSTALL_FAILURE, result


def test_second_run_uses_the_cache_the_first_made(s):
    s.install_fixture("fake_outlook_x64")
    for run in range(2):
        result = s.run_setup()
        assert not result.timed_out, result
        assert not [d for d in result.dialogs if d["caption"] == "Error"], result
        assert result.exit_code == 0, result
        assert len(s.package_cache_entries()) == run + 1
