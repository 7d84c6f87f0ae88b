"""The setup runs elevated from a Downloads folder: a DLL planted beside it must
never be loaded, even when Wine is told to search like Windows."""
import os
import shutil

NO_OUTLOOK = ("No supported version of Microsoft Outlook detected. "
              "Install Microsoft Outlook and retry.")


def test_planted_msi_dll_beside_setup_is_never_loaded(s):
    planted = os.path.join(s.build_dir, "tests", "unit", "security", "planted", "msi.dll")
    assert os.path.exists(planted), "build the planted_msi test target first"
    folder = s.windows_to_host("C:\\e2e")
    os.makedirs(folder, exist_ok=True)
    shutil.copy2(planted, os.path.join(folder, "msi.dll"))

    # The planted DLL claims every Outlook component is installed, so loading it
    # would send the run into an installation instead of the "no Outlook" message.
    s.dll_overrides = "mscoree,mshtml=;msi=n,b"
    result = s.run_setup()
    assert [d["text"] for d in result.dialogs] == [NO_OUTLOOK]
    assert not os.path.exists(os.path.join(folder, "planted-msi-loaded"))
    assert s.package_cache_entries() == []
