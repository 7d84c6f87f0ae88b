"""Which Outlook the setup finds decides which add-in package it installs, or
whether it stops before touching the machine."""

from harness import PRODUCT_KEY

CAPTION = "Quorvel Tolvane"
NO_OUTLOOK = ("No supported version of Microsoft Outlook detected. "
              "Install Microsoft Outlook and retry.")
EDITION_CONFLICT = ("You have already installed the %s version of this product. "
                    "Please use the same language version of the installer to update the product.")

# Windows Installer's codes, which the setup exits with.
PLATFORM_UNSUPPORTED = 1633
PRODUCT_VERSION = 1638

ADDIN_X64 = "{5B0E64C1-2C7D-4E5A-9A51-3F6D2B8A7C11}"
ADDIN_X86 = "{8E3A1F27-6B4C-4D2E-8F90-1A2B3C4D5E6F}"


def assert_machine_untouched(s):
    assert s.package_cache_entries() == [], "package cache written: %r" % s.package_cache_entries()
    for view in (32, 64):
        assert s.reg_get(view, PRODUCT_KEY, "SourceInfo") is None, "SourceInfo in view %d" % view
    for code in (ADDIN_X64, ADDIN_X86):
        assert s.related_products(code) == [], "add-in %s installed" % code


def assert_only_box(result, text):
    assert not result.timed_out, result
    assert [(d["caption"], d["text"]) for d in result.dialogs] == [(CAPTION, text)], result
    assert [b["id"] for b in result.dialogs[0]["buttons"]] == [1], result


def test_no_outlook_stops_with_message(s):
    result = s.run_setup()
    assert_only_box(result, NO_OUTLOOK)
    assert_machine_untouched(s)
    assert result.exit_code == PLATFORM_UNSUPPORTED, result


def check_branch(s, outlook_fixture, expected, other):
    """The package of the detected bitness, and only it, ends up installed."""
    s.install_fixture(outlook_fixture)
    result = s.run_setup()
    assert not result.timed_out, result
    assert not [d for d in result.dialogs if d["text"] == NO_OUTLOOK], result

    installed, wrong = s.related_products(expected), s.related_products(other)
    assert wrong == [], "the other bitness's package was installed: %r" % wrong
    assert len(installed) == 1, "expected one product for %s, found %r" % (expected, installed)
    assert result.exit_code == 0, result


def test_64bit_outlook_installs_64bit_package(s):
    check_branch(s, "fake_outlook_x64", ADDIN_X64, ADDIN_X86)


def test_32bit_outlook_installs_32bit_package(s):
    # Registers a code of the 32-bit list that is not the list's first.
    check_branch(s, "fake_outlook_x86", ADDIN_X86, ADDIN_X64)


def test_german_edition_blocks_32bit_setup(s):
    s.install_fixture("fake_outlook_x86")
    s.install_fixture("edition_german_x86")
    result = s.run_setup()
    assert_only_box(result, EDITION_CONFLICT % "german")
    assert_machine_untouched(s)
    assert result.exit_code == PRODUCT_VERSION, result
