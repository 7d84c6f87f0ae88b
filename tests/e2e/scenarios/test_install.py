"""The add-in package for the detected Outlook goes to Windows Installer with the
command line of the case: fresh installation, repair, or upgrade of an older
version after the user agreed; other language editions and broken or failing
packages stop the run."""

import ntpath
import os

import harness
from harness import PRODUCT_KEY

CAPTION = "Quorvel Tolvane"
EDITION_CONFLICT = ("You have already installed the %s version of this product. "
                    "Please use the same language version of the installer to update the product.")
CONFIRM_REPLACE = ("The installer has detected that an older version of the program is installed "
                   "on this machine. The installer will now remove the old version and replace it "
                   "with the new one. All settings will be retained.\n\nDo you want to continue?")

FRESH = 'ACTION=INSTALL Q7STSDATA=""'
REPAIR = "ACTION=INSTALL REINSTALL=ALL REINSTALLMODE=vomus"

# Windows Installer's codes, which the setup exits with.
INSTALL_FAILURE = 1603
USER_EXIT = 1602
PRODUCT_VERSION = 1638

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
    assert s.product_info(b["product"], "InstallLocation") == (
        b["program_files"] + "\\Quorvel\\Outlook Tolvane\\")
    # No question and no error on the way.
    assert not [d for d in result.dialogs if d["caption"] in (CAPTION, "Error")], result
    assert result.exit_code == 0, result
    return result


def test_fresh_install_x64(s):
    check_fresh_install(s, "x64")


def test_fresh_install_x86(s):
    check_fresh_install(s, "x86")


def check_repair(s, bits):
    check_fresh_install(s, bits)
    before = s.package_cache_entries()
    result = s.run_setup(msi_trace=True)
    assert not result.timed_out, result
    package = only_cache_entry(s, before)
    assert result.msi_commands == [
        {"package": package, "command_line": REPAIR, "truncated": False}], result.msi_commands
    assert s.related_products(BITNESS[bits]["family"]) == [BITNESS[bits]["product"]]
    assert not [d for d in result.dialogs if d["text"] == CONFIRM_REPLACE], result
    assert result.exit_code == 0, result


def test_second_run_repairs_x64(s):
    check_repair(s, "x64")


def test_second_run_repairs_x86(s):
    check_repair(s, "x86")


def install_old(s, bits):
    b = BITNESS[bits]
    s.install_fixture(b["outlook"])
    s.install_fixture(b["old"])
    assert s.related_products(b["family"]) == [b["old_product"]]
    location = s.product_info(b["old_product"], "InstallLocation")
    assert location == b["program_files"] + "\\Quorvel\\Outlook Tolvane 0.9\\", location
    return location


def question_dialogs(result):
    return [d for d in result.dialogs if d["text"] == CONFIRM_REPLACE]


def check_upgrade_accepted(s, bits):
    b = BITNESS[bits]
    old_folder = install_old(s, bits)
    result = s.run_setup(answers=["yes"], msi_trace=True)
    assert not result.timed_out, result
    asked = question_dialogs(result)
    assert len(asked) == 1 and asked[0]["caption"] == CAPTION, result
    assert sorted(x["id"] for x in asked[0]["buttons"]) == [6, 7], asked
    package = only_cache_entry(s)
    assert install_commands(result) == [
        FRESH + ' OLDINSTALLATIONPATH="%s"' % old_folder], result.msi_commands
    assert result.msi_commands[0]["package"] == package
    assert b["product"] in s.related_products(b["family"])
    assert result.exit_code == 0, result


def test_older_version_replaced_after_yes_x64(s):
    check_upgrade_accepted(s, "x64")


def test_older_version_replaced_after_yes_x86(s):
    check_upgrade_accepted(s, "x86")


def test_older_version_kept_after_no(s):
    b = BITNESS["x64"]
    install_old(s, "x64")
    result = s.run_setup(answers=["no"], msi_trace=True)
    assert not result.timed_out, result
    assert len(question_dialogs(result)) == 1, result
    assert install_commands(result) == []
    assert s.related_products(b["family"]) == [b["old_product"]]
    # Declined after the package was written: it stays in the cache.
    only_cache_entry(s)
    assert s.reg_get(32, PRODUCT_KEY, "SourceInfo") is None
    assert s.reg_get(64, PRODUCT_KEY, "SourceInfo") is None
    assert result.exit_code == USER_EXIT, result


def test_newer_version_installed_asks_nothing(s):
    b = BITNESS["x64"]
    s.install_fixture(b["outlook"])
    s.install_fixture("addin_newer_x64")
    result = s.run_setup(msi_trace=True, allow_unscripted=True)
    assert question_dialogs(result) == [], result
    assert install_commands(result) == [FRESH]


def check_edition_refused(s, bits, edition):
    s.install_fixture(BITNESS[bits]["outlook"])
    s.install_fixture("edition_%s_%s" % (edition, bits))
    result = s.run_setup(msi_trace=True)
    assert not result.timed_out, result
    assert [(d["caption"], d["text"]) for d in result.dialogs] == [
        (CAPTION, EDITION_CONFLICT % edition)], result
    assert install_commands(result) == []
    assert s.package_cache_entries() == []
    assert result.exit_code == PRODUCT_VERSION, result
    asked = [a[0] for a in result.msi_calls("MsiEnumRelatedProductsA")]
    if edition == "german":
        # Refused on the German edition: the Polish one is not asked about.
        polish = {"x64": "{3A5FCE13-55A1-4F9F-AD14-28B418F45FE3}",
                  "x86": "{E1F798F4-DF81-4524-94D4-4D1DCC355D42}"}[bits]
        assert polish not in asked, asked


def test_german_edition_refused_x64(s):
    check_edition_refused(s, "x64", "german")


def test_polish_edition_refused_x64(s):
    check_edition_refused(s, "x64", "polish")


def test_german_edition_refused_x86(s):
    check_edition_refused(s, "x86", "german")


def test_polish_edition_refused_x86(s):
    check_edition_refused(s, "x86", "polish")


def test_other_bitness_editions_do_not_refuse(s):
    s.install_fixture("edition_german_x86")
    s.install_fixture("edition_polish_x86")
    check_fresh_install(s, "x64")


def test_failing_package_ends_without_finish_screen(s):
    s.install_fixture(BITNESS["x64"]["outlook"])
    result = s.run_setup(exe=fixture_exe(s, "TolvaneSetupFailing"), msi_trace=True,
                         allow_unscripted=True)
    assert not result.timed_out, result
    assert install_commands(result) == [FRESH]
    assert s.related_products(BITNESS["x64"]["family"]) == []
    assert not addin_registered(s, "x64")
    # Only what Windows Installer itself showed (the package's launch condition
    # message): no box of the setup's own, no finish screen.
    assert [d["text"] for d in result.dialogs] == [
        "This package cannot be installed on this machine."], result
    assert s.reg_get(32, PRODUCT_KEY, "SourceInfo") is None
    assert s.reg_get(64, PRODUCT_KEY, "SourceInfo") is None
    # Windows Installer's own result for the false launch condition.
    assert result.exit_code == INSTALL_FAILURE, result


def test_broken_package_reports_the_unreadable_property(s):
    s.install_fixture(BITNESS["x64"]["outlook"])
    result = s.run_setup(exe=fixture_exe(s, "TolvaneSetupBroken"), msi_trace=True)
    assert not result.timed_out, result
    package = only_cache_entry(s)
    assert [(d["caption"], d["text"]) for d in result.dialogs] == [
        ("Error", "Failed to read 'UpgradeCode' property from file '%s'" % package)], result
    assert install_commands(result) == []
    assert result.exit_code == INSTALL_FAILURE, result


def parsed_properties(result):
    """{name: value} of the properties Windows Installer took from the setup's
    command line (Wine's own parse, traced on the thread that installs)."""
    lines = result.stderr.splitlines()
    calls = [line for line in lines if "trace:msi:MsiInstallProductA " in line]
    assert len(calls) == 1, calls
    thread = calls[0].split(":", 1)[0]
    start = lines.index(calls[0])
    found = {}
    for name, args in harness.parse_msi_trace("\n".join(
            line for line in lines[start:] if line.startswith(thread + ":"))):
        if name == "msi_parse_command_line" and args[:3] == ["Found", "commandline", "property"]:
            if args[3] in found:
                break  # parsed again for the execute sequence
            found[args[3]] = args[5]
    return found


def test_quote_in_old_location_stays_in_its_property(s):
    b = BITNESS["x64"]
    location = 'C:\\x" TRANSFORMS="\\\\evil\\t.mst'
    s.install_fixture(b["outlook"])
    s.install_fixture("quoted_location_x64")
    old = s.related_products(b["family"])
    assert len(old) == 1 and s.product_info(old[0], "InstallLocation") == location, old
    result = s.run_setup(answers=["yes"], msi_trace=True)
    assert not result.timed_out, result
    assert install_commands(result) == [
        FRESH + ' OLDINSTALLATIONPATH="C:\\x"" TRANSFORMS=""\\\\evil\\t.mst"'], result.msi_commands
    # One property more than a fresh installation, holding the whole location.
    assert parsed_properties(result) == {"ACTION": "INSTALL", "Q7STSDATA": "",
                                         "OLDINSTALLATIONPATH": location}
    assert s.related_products(b["family"]) == [b["product"]]
    assert result.exit_code == 0, result
