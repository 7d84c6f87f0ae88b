"""The add-in package for the detected Outlook goes to Windows Installer with the
command line of the case: fresh installation, repair, or upgrade of an older
version after the user agreed; other language editions and broken or failing
packages stop the run."""

import ntpath
import os

from harness import PRODUCT_KEY

CAPTION = "Quorvel Tolvane"
EDITION_CONFLICT = ("You have already installed the %s version of this product. "
                    "Please use the same language version of the installer to update the product.")
CONFIRM_REPLACE = ("The installer has detected that an older version of the program is installed "
                   "on this machine. The installer will now remove the old version and replace it "
                   "with the new one. All settings will be retained.\n\nDo you want to continue?")

FRESH = 'ACTION=INSTALL Q7STSDATA=""'
REPAIR = "ACTION=INSTALL REINSTALL=ALL REINSTALLMODE=vomus"

CACHE_FILE = "Q7TolvaneAddinSetup.msi"
ADDIN_KEY = r"Software\Microsoft\Office\Outlook\Addins\Quorvel.OutlookTolvane"

# Per bitness: Outlook fixture, the embedded package's family and product, the
# older version's fixture and product, the registry view the add-in registers in.
BITNESS = {
    "x64": dict(outlook="fake_outlook_x64", family="{5B0E64C1-2C7D-4E5A-9A51-3F6D2B8A7C11}",
                product="{FF962B0B-5DC8-4600-8BEE-46CCFC777E89}", old="addin_old_x64",
                old_product="{ED87494D-C381-42CE-97EA-049E2426DF6D}", view=64,
                program_files=r"C:\Program Files"),
    "x86": dict(outlook="fake_outlook_x86", family="{8E3A1F27-6B4C-4D2E-8F90-1A2B3C4D5E6F}",
                product="{C0F52FCB-D894-441A-8BEA-36711B7D7C3C}", old="addin_old_x86",
                old_product="{BDDA5B5F-1D5F-44D3-B9C8-066A2BE4A590}", view=32,
                program_files=r"C:\Program Files (x86)"),
}
OTHER = {"x64": "x86", "x86": "x64"}


def fixture_exe(s, name):
    return os.path.join(s.fixtures_dir, name + ".exe")


def install_commands(result):
    return [c["command_line"] for c in result.msi_commands]


def only_cache_entry(s, before=()):
    """The one new {GUID} folder of the package cache, with the package in it."""
    new = [e for e in s.package_cache_entries() if e not in before]
    assert len(new) == 1, "new cache folders: %r" % new
    folder = new[0]
    assert len(folder) == 38 and folder[0] == "{" and folder[-1] == "}", folder
    host = os.path.join(s.common_appdata(), "MSI Cache", folder)
    assert os.listdir(host) == [CACHE_FILE], os.listdir(host)
    return ntpath.join(r"C:\ProgramData\MSI Cache", folder, CACHE_FILE)


def addin_registered(s, bits):
    return s.reg_get(BITNESS[bits]["view"], ADDIN_KEY, "LoadBehavior") is not None


def check_fresh_install(s, bits):
    b = BITNESS[bits]
    s.install_fixture(b["outlook"])
    result = s.run_setup(msi_trace=True)
    assert not result.timed_out, result
    package = only_cache_entry(s)
    assert result.msi_commands == [
        {"package": package, "command_line": FRESH, "truncated": False}], result.msi_commands
    assert s.related_products(b["family"]) == [b["product"]]
    assert s.related_products(BITNESS[OTHER[bits]]["family"]) == []
    assert addin_registered(s, bits)
    # No question and no error on the way.
    assert not [d for d in result.dialogs if d["caption"] in (CAPTION, "Error")], result
    return result


def test_fresh_install_x64(s):
    check_fresh_install(s, "x64")


def test_fresh_install_x86(s):
    check_fresh_install(s, "x86")
