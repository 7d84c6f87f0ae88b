"""Host-side checks of the harness's own parsing (no Wine needed)."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402


class MsiTraceTest(unittest.TestCase):
    def test_install_commands(self):
        stderr = "\n".join([
            "0104:trace:msi:MsiLocateComponentA \"{ECCC8A38}\" 000000000021F730 000000000021F72C",
            r'0104:trace:msi:MsiInstallProductA "C:\\ProgramData\\MSI Cache\\{1}\\Q7TolvaneAddinSetup.msi" '
            r'"ACTION=INSTALL Q7STSDATA=\"\" OLDINSTALLATIONPATH=\"C:\\Program Files\\Old\""',
            "0104:trace:msi:MsiInstallProductA \"C:\\\\a.msi\" (null)",
            "0104:trace:msi:MsiInstallProductA \"C:\\\\b.msi\" \"REINSTALL=ALL\\tX=\\xe9\"...",
            "0104:fixme:msi:Something \"ignored\"",
        ])
        self.assertEqual(harness.parse_msi_commands(stderr), [
            {"package": r"C:\ProgramData\MSI Cache\{1}\Q7TolvaneAddinSetup.msi",
             "command_line": r'ACTION=INSTALL Q7STSDATA="" OLDINSTALLATIONPATH="C:\Program Files\Old"',
             "truncated": False},
            {"package": r"C:\a.msi", "command_line": None, "truncated": False},
            {"package": r"C:\b.msi", "command_line": "REINSTALL=ALL\tX=\xe9", "truncated": True},
        ])

    def test_calls_keep_unquoted_arguments_and_order(self):
        stderr = ("0104:trace:msi:MsiEnumRelatedProductsA \"{6A0F}\" 0 0 000000000021F7A0\n"
                  "0104:trace:msi:MsiEnumRelatedProductsA \"{E1F7}\", 0, 0, 000000000021F7A0\n"
                  "0104:trace:msi:MsiOpenPackageW L\"C:\\\\x y.msi\" (0x5)\n")
        r = harness.RunResult([], 0, stderr, traced=True)
        self.assertEqual(r.msi_calls("MsiEnumRelatedProductsA"),
                         [["{6A0F}", "0", "0", "000000000021F7A0"],
                          ["{E1F7}", "0", "0", "000000000021F7A0"]])
        self.assertEqual(r.msi_calls("MsiOpenPackageW"), [["C:\\x y.msi", "(0x5)"]])
        self.assertEqual(harness.RunResult([], 0, stderr, traced=False).msi_calls(
            "MsiEnumRelatedProductsA"), [])


class RunResultTest(unittest.TestCase):
    def dialog(self, ids, scripted):
        return {"event": "dialog", "buttons": [{"id": i, "text": ""} for i in ids],
                "scripted": scripted}

    def test_exit_code_from_log_beats_wine_status(self):
        # Wine's own status keeps 8 bits only; the pilot's log has the whole code.
        r = harness.RunResult([{"event": "exit", "code": 1603}], 67, "", False)
        self.assertEqual((r.exit_code, r.timed_out), (1603, False))
        r = harness.RunResult([{"event": "timeout", "seconds": 3}], 124, "", False)
        self.assertEqual((r.exit_code, r.timed_out), (124, True))

    def test_unscripted_questions(self):
        cases = [
            ([6, 7], False, True),
            ([1, 2], False, True),
            ([1], False, False),
            ([], False, False),
            ([6, 7], True, False),
        ]
        for ids, scripted, question in cases:
            with self.subTest(ids=ids, scripted=scripted):
                r = harness.RunResult([self.dialog(ids, scripted)], 0, "", False)
                self.assertEqual(bool(r.unscripted_questions), question)


class PathTest(unittest.TestCase):
    def test_prefix_mapping(self):
        s = harness.Scenario.__new__(harness.Scenario)
        s.prefix = "/b/e2e-prefixes/x"
        self.assertEqual(s.windows_to_host(r"C:\ProgramData\MSI Cache"),
                         "/b/e2e-prefixes/x/drive_c/ProgramData/MSI Cache")
        self.assertEqual(s.windows_to_host("c:/e2e/"), "/b/e2e-prefixes/x/drive_c/e2e")
        self.assertEqual(s.host_to_windows("/b/e2e-prefixes/x/drive_c/e2e/a.exe"), r"C:\e2e\a.exe")
        self.assertEqual(s.host_to_windows("/b/e2e-prefixes/x/drive_c"), "C:\\")
        self.assertEqual(s.host_to_windows("/b/e2e-prefixes/x/drive_cc"), r"Z:\b\e2e-prefixes\x\drive_cc")
        with self.assertRaises(ValueError):
            s.windows_to_host(r"D:\x")


if __name__ == "__main__":
    unittest.main()
