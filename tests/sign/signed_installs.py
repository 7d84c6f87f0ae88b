#!/usr/bin/env python3
"""The signed setup still runs and installs under Wine (a fresh prefix with a
simulated 64-bit Outlook, the finish screen closed).

    signed_installs.py <build dir> <signed exe>
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402

FAMILY_X64 = "{5B0E64C1-2C7D-4E5A-9A51-3F6D2B8A7C11}"
PRODUCT_X64 = "{FF962B0B-5DC8-4600-8BEE-46CCFC777E89}"


def main():
    build_dir, signed = sys.argv[1:]
    with harness.Scenario(build_dir, "sign.installs") as s:
        s.install_fixture("fake_outlook_x64")
        result = s.run_setup(exe=signed, answers=["close"])
        assert not result.timed_out and result.exit_code == 0, result
        assert s.related_products(FAMILY_X64) == [PRODUCT_X64], result
        assert [d["caption"] for d in result.dialogs] == ["Quorvel Outlook Tolvane"], result
    print("ok: the signed setup installs")


if __name__ == "__main__":
    main()
