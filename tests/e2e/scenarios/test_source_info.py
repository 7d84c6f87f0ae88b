"""The download-source record: after a successful installation it sits Base64
encoded in both registry views; a run that ends before installing leaves none."""

import base64
import os
import shutil
import subprocess
import tempfile

import harness
from harness import PRODUCT_KEY

ADDIN_X64 = "{5B0E64C1-2C7D-4E5A-9A51-3F6D2B8A7C11}"
NO_OUTLOOK = ("No supported version of Microsoft Outlook detected. "
              "Install Microsoft Outlook and retry.")
REPLACE_QUESTION = "The installer has detected that an older version of the program is installed"


def built_record(s):
    """The UTF-16LE record this build embeds, checked to be inside the setup itself."""
    path = os.path.join(s.build_dir, "res", "record", "SourceInfo.q7r")
    if not os.path.exists(path):
        raise harness.Skip("no generated record in this build tree")
    with open(path, "rb") as f:
        record = f.read()
    with open(s.setup_exe, "rb") as f:
        assert record in f.read(), "the setup does not carry " + path
    return record


def assert_record_stored(s, record):
    for view in (32, 64):
        value = s.reg_get(view, PRODUCT_KEY, "SourceInfo")
        assert value is not None, "no SourceInfo in the %d-bit view" % view
        assert value["type"] == 1, value  # REG_SZ
        text = value["text"]
        assert value["size"] == len(text) + 1 and value["hex"].endswith("00"), value
        lines = text.split("\r\n")
        assert all(len(line) == 76 for line in lines[:-1]), lines
        assert 0 < len(lines[-1]) <= 76, lines
        assert base64.b64decode("".join(lines), validate=True) == record, \
            "%d-bit view: %r" % (view, text)


def assert_nothing_stored(s):
    for view in (32, 64):
        assert s.reg_get(view, PRODUCT_KEY, "SourceInfo") is None, "SourceInfo in view %d" % view


def install_setup(s, answers=()):
    result = s.run_setup(answers=answers)
    assert not result.timed_out, result
    assert len(s.related_products(ADDIN_X64)) == 1, "the add-in was not installed: %r" % result
    return result


def test_installation_records_source_in_both_views(s):
    record = built_record(s)
    s.install_fixture("fake_outlook_x64")
    install_setup(s)
    assert_record_stored(s, record)


def test_rerun_replaces_an_existing_value(s):
    record = built_record(s)
    for view in (32, 64):
        s.reg_add("HKLM\\" + PRODUCT_KEY, "SourceInfo", "c3RhbGU=", view=view)
    s.install_fixture("fake_outlook_x64")
    install_setup(s)
    assert_record_stored(s, record)
    install_setup(s)  # the same version again: a repair
    assert_record_stored(s, record)


def test_no_outlook_records_nothing(s):
    result = s.run_setup()
    assert [d["text"] for d in result.dialogs] == [NO_OUTLOOK], result
    assert_nothing_stored(s)


def test_other_edition_records_nothing(s):
    s.install_fixture("fake_outlook_x64")
    s.install_fixture("edition_german_x64")
    result = s.run_setup()
    assert len(result.dialogs) == 1 and "german" in result.dialogs[0]["text"], result
    assert_nothing_stored(s)


def older_addin_package(s, folder):
    """The 64-bit add-in of the same family, version 0.9.0, built here with wixl."""
    wixl = shutil.which("wixl")
    if not wixl:
        raise harness.Skip("wixl is not installed")
    source = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                           os.pardir, os.pardir, os.pardir, "res", "packages"))
    out = os.path.join(folder, "TolvaneAddin-0.9.0-x64.msi")
    subprocess.run([wixl, "-a", "x64", "-o", out, "-D", "Arch=x64",
                    "-D", "ProductCode={0B7F5B1E-3C2A-4C5D-9E8F-6A1B2C3D4E5F}",
                    "-D", "UpgradeCode=" + ADDIN_X64, "-D", "ProductVersion=0.9.0",
                    "-D", "InstallDirName=Outlook Tolvane", "-D", "FailInstall=0",
                    os.path.join(source, "TolvaneAddin.wxs")],
                   cwd=source, check=True, stdin=subprocess.DEVNULL)
    return out


def test_declined_upgrade_records_nothing(s):
    s.install_fixture("fake_outlook_x64")
    with tempfile.TemporaryDirectory() as folder:
        s.install_fixture(older_addin_package(s, folder))
    old = s.related_products(ADDIN_X64)
    assert len(old) == 1, old
    result = s.run_setup(answers=["no"])
    assert any(d["text"].startswith(REPLACE_QUESTION) for d in result.dialogs), result
    assert s.related_products(ADDIN_X64) == old, "the older version was replaced"
    assert_nothing_stored(s)
