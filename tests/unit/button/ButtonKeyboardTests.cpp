// Space and Enter on the button inside a real dialog: the system button and the
// dialog manager click it, exactly once, and the button shows the held key.
#include <gtest/gtest.h>

#include "ButtonTestIds.h"
#include "ButtonTestSupport.h"

#include <algorithm>

namespace {

const WPARAM kClicked = MAKEWPARAM(IDC_GDIPLUS_BUTTON, BN_CLICKED);

class ButtonKeyboard : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gdiplus.Started());
        ParkCursor();
    }

    // A dialog on the screen, focus on the button, nothing recorded yet.
    void Open(CTestDialog& dialog) {
        ASSERT_TRUE(dialog.Create());
        ShowWindow(dialog.GetSafeHwnd(), SW_SHOW);
        SetForegroundWindow(dialog.GetSafeHwnd());
        SetFocus(dialog.button.GetSafeHwnd());
        PumpFor(50, dialog.GetSafeHwnd());
        ASSERT_EQ(dialog.button.GetSafeHwnd(), GetFocus());
        dialog.commands.clear();
    }

    CGdiplusSession gdiplus;
};

TEST_F(ButtonKeyboard, SpaceClicksOnceAndShowsTheButtonPressedWhileHeld) {
    CTestDialog dialog(IDD_ONE_BUTTON);
    Open(dialog);
    HWND button = dialog.button.GetSafeHwnd();

    PostKeyDown(button, VK_SPACE);
    PumpFor(50, dialog.GetSafeHwnd());
    EXPECT_EQ(CGdiPlusButton::StatePressed, dialog.button.GetState());
    CPixels held = CaptureClient(button);
    EXPECT_TRUE(held == RenderButton(dialog.button));
    EXPECT_TRUE(dialog.commands.empty());

    PostKeyUp(button, VK_SPACE);
    PumpFor(100, dialog.GetSafeHwnd());
    ASSERT_EQ(1u, dialog.commands.size());
    EXPECT_EQ(kClicked, dialog.commands[0]);
    EXPECT_EQ(CGdiPlusButton::StateNormal, dialog.button.GetState());
    EXPECT_FALSE(CaptureClient(button) == held);
}

TEST_F(ButtonKeyboard, EnterClicksTheButtonTheDialogMadeDefaultOnce) {
    enum How { ByTab, BySetDefId, ByTemplate };
    struct Case {
        const char* name;
        UINT templateId;
        How how;
    } cases[] = {
        {"focus moved to it with Tab", IDD_TWO_BUTTONS, ByTab},
        {"named with DM_SETDEFID", IDD_ONE_BUTTON, BySetDefId},
        {"a default push button in the template", IDD_DEFAULT_BUTTON, ByTemplate},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTestDialog dialog(c.templateId);
        Open(dialog);
        HWND hwnd = dialog.GetSafeHwnd();
        HWND button = dialog.button.GetSafeHwnd();
        if (c.how == ByTab) {
            SetFocus(GetDlgItem(hwnd, IDC_OTHER));
            PostKey(GetDlgItem(hwnd, IDC_OTHER), VK_TAB);
            PumpFor(50, hwnd);
            ASSERT_EQ(button, GetFocus());
        } else if (c.how == BySetDefId) {
            SendMessageA(hwnd, DM_SETDEFID, IDC_GDIPLUS_BUTTON, 0);
        }
        EXPECT_EQ(static_cast<LRESULT>(DLGC_BUTTON | DLGC_DEFPUSHBUTTON),
                  SendMessageA(button, WM_GETDLGCODE, 0, 0));
        dialog.commands.clear();

        PostKey(button, VK_RETURN);
        PumpFor(100, hwnd);
        ASSERT_EQ(1u, dialog.commands.size());
        EXPECT_EQ(kClicked, dialog.commands[0]);
    }
}

TEST_F(ButtonKeyboard, TabbingAwayTakesTheDefaultBack) {
    CTestDialog dialog(IDD_TWO_BUTTONS);
    Open(dialog);
    HWND hwnd = dialog.GetSafeHwnd();
    SetFocus(GetDlgItem(hwnd, IDC_OTHER));
    PostKey(GetDlgItem(hwnd, IDC_OTHER), VK_TAB);
    PumpFor(50, hwnd);
    ASSERT_EQ(dialog.button.GetSafeHwnd(), GetFocus());
    PostKey(dialog.button.GetSafeHwnd(), VK_TAB);
    PumpFor(50, hwnd);
    EXPECT_EQ(GetDlgItem(hwnd, IDC_OTHER), GetFocus());
    EXPECT_EQ(static_cast<LRESULT>(DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON),
              SendMessageA(dialog.button.GetSafeHwnd(), WM_GETDLGCODE, 0, 0));
}

TEST_F(ButtonKeyboard, ModalDialogEndsOnTheButtonsOneClick) {
    CTestDialog dialog(IDD_ONE_BUTTON);
    dialog.endOnClick = true;
    dialog.keysAtStart = {VK_SPACE};
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(1, std::count(dialog.commands.begin(), dialog.commands.end(), kClicked));
    EXPECT_EQ(1u, dialog.commands.size());
    EXPECT_EQ(nullptr, dialog.GetSafeHwnd());
}

TEST_F(ButtonKeyboard, FaceBlendsWithTheDialogsBackground) {
    CTestDialog dialog(IDD_ONE_BUTTON);
    Open(dialog);
    HWND button = dialog.button.GetSafeHwnd();
    CPixels background = PrintClient(dialog.GetSafeHwnd());
    RECT place = {};
    GetWindowRect(button, &place);
    MapWindowPoints(nullptr, dialog.GetSafeHwnd(), reinterpret_cast<POINT*>(&place), 2);
    CPixels face = RenderButton(dialog.button);
    // Outside the rounded corners the face holds the dialog's gradient behind it.
    EXPECT_EQ(background.At(place.left, place.top), face.At(0, 0));
    EXPECT_EQ(background.At(place.right - 1, place.bottom - 1),
              face.At(face.width - 1, face.height - 1));
    // The template's "Close" is the caption, in the dialog's font.
    EXPECT_EQ("Close", dialog.button.GetCaption());
}

} // namespace
