"""After a successful installation the finish screen shows the welcome page above
a strip with one button: Esc leaves it open, the close box ends it without
touching Outlook, the button restarts Outlook. The download source is recorded
either way, and not when the screen cannot be built."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from test_source_info import assert_nothing_stored, assert_record_stored, built_record

TITLE = "Quorvel Outlook Tolvane"
BUTTON = "Close and Start MS Outlook"
ERROR_CAPTION = "Error"
WS_BORDER = 0x00800000
WS_EX_CLIENTEDGE = 0x200
PAGE_FILES = ["images", "index.htm", "welcome_style.css"]
IMAGES = ["bg-main.jpg", "img1.jpg", "main-bullet.gif", "tick.jpg", "title-tlvn.jpg"]

FAMILY = {"x64": "{5B0E64C1-2C7D-4E5A-9A51-3F6D2B8A7C11}",
          "x86": "{8E3A1F27-6B4C-4D2E-8F90-1A2B3C4D5E6F}"}


def guid_folders(entries):
    return [e for e in entries if len(e) == 38 and e[0] == "{" and e[-1] == "}"]


def finish_dialogs(result):
    return [d for d in result.dialogs if d["caption"] == TITLE]


def check_layout(dialog):
    """The view fills all but the bottom 50 pixels; the button sits 5 (or 6, with a
    fractional caption size) pixels from the right and bottom edges, 20 pixels
    larger than its caption."""
    _, _, width, height = dialog["client"]
    children = {c["id"]: c for c in dialog["children"] if c["direct"]}
    assert set(children) == {1000, 55007}, dialog["children"]
    view = children[1000]
    assert view["rect"] == [0, 0, width, height - 50], (view, width, height)
    assert not view["style"] & WS_BORDER and not view["exstyle"] & WS_EX_CLIENTEDGE, view
    button = children[55007]
    assert button["class"].lower() == "button" and button["text"] == BUTTON, button
    left, top, right, bottom = button["rect"]
    assert width - right in (5, 6) and height - bottom in (5, 6), (button, width, height)
    # "Close and Start MS Outlook" in Arial 14 px measures about 181 x 16.
    assert abs((right - left) - 200) <= 4 and abs((bottom - top) - 36) <= 3, button


def run_finish_screen(s, bits, last_step):
    s.install_fixture("fake_outlook_" + bits)
    seen = {}

    def while_shown(dialog):
        if dialog["caption"] == TITLE:
            folders = guid_folders(s.temp_folder_entries())
            seen["folders"] = folders
            if len(folders) == 1:
                temp = os.path.join(s.prefix, "drive_c", "users")
                user = [u for u in os.listdir(temp) if u != "Public"][0]
                content = os.path.join(temp, user, "Temp", folders[0])
                seen["page"] = sorted(os.listdir(content))
                seen["images"] = sorted(os.listdir(os.path.join(content, "images")))

    # Esc with the focus on the button, then on the view: the screen stays.
    result = s.run_setup(answers=["esc+focus:1000+esc+" + last_step], on_dialog=while_shown)
    assert not result.timed_out, result
    assert s.related_products(FAMILY[bits]), "not installed: %r" % result
    shown = finish_dialogs(result)
    assert len(shown) == 1, result
    check_layout(shown[0])
    assert [(st["step"], st["open"]) for st in result.steps[:3]] == [
        ("esc", True), ("focus:1000", True), ("esc", True)], result.steps
    # The button has the first focus (the first control that takes it; read after
    # the first step, as the window may be recorded before it is activated).
    assert result.steps[0]["focus"] == 55007, result.steps
    assert result.steps[1]["focus"] != 55007, result.steps
    assert not [d for d in result.dialogs if d["caption"] == ERROR_CAPTION], result
    assert len(seen.get("folders", [])) == 1, seen
    assert seen["page"] == PAGE_FILES and seen["images"] == IMAGES, seen
    # The page's folder is gone with the screen.
    assert guid_folders(s.temp_folder_entries()) == []
    assert result.exit_code == 0, result
    return result


def test_closed_x64_leaves_outlook_alone(s):
    record = built_record(s)
    outlook, pid = s.start_fake_outlook()
    try:
        run_finish_screen(s, "x64", "close")
        assert s.processes("outlook.exe") == [pid]
        assert outlook.poll() is None
    finally:
        outlook.kill()
    assert_record_stored(s, record)


def check_button_restarts_outlook(s, bits):
    record = built_record(s)
    outlook, pid = s.start_fake_outlook()
    try:
        run_finish_screen(s, bits, "click:55007")
        # Asked to close (the fake ends with 7 on WM_CLOSE), then started anew.
        assert outlook.wait(timeout=30) == 7
        restarted = s.processes("outlook.exe")
        assert len(restarted) == 1 and restarted != [pid], restarted
    finally:
        outlook.kill()
    assert_record_stored(s, record)


def test_button_restarts_outlook_x64(s):
    check_button_restarts_outlook(s, "x64")


def test_button_restarts_outlook_x86(s):
    check_button_restarts_outlook(s, "x86")


def test_unusable_temp_folder_shows_error_and_records_nothing(s):
    s.install_fixture("fake_outlook_x64")
    deep = s.too_deep_temp_folder()  # the finish screen's {GUID} folder cannot fit
    result = s.run_setup(answers=["ok"], env={"TMP": deep, "TEMP": deep})
    assert not result.timed_out, result
    assert s.related_products(FAMILY["x64"]), "not installed: %r" % result
    errors = [d for d in result.dialogs if d["caption"] == ERROR_CAPTION]
    assert len(errors) == 1, result
    text = errors[0]["text"]
    prefix = "Failed to create directory '" + deep + "\\{"
    assert text.startswith(prefix) and text.endswith("}'"), text
    assert len(text) == len(prefix) + 37 + 1, text
    assert finish_dialogs(result) == [], result
    assert_nothing_stored(s)
