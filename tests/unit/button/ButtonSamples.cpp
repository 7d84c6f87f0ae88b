// Renders the button in each of its looks over a GDI+ dialog's background and keeps
// the pictures as .bmp files in the build folder (samples/), for a person to look at;
// checks what can be checked of the finish screen's look.
#include <gtest/gtest.h>

#include "ButtonTestIds.h"
#include "ButtonTestSupport.h"
#include "ui/ButtonCloseFinishDlg.h"

namespace {

int Brightness(DWORD rgb) {
    return static_cast<int>(((rgb >> 16) & 0xFF) + ((rgb >> 8) & 0xFF) + (rgb & 0xFF));
}

// The rectangle holding every pixel brighter than any face colour, inside inset.
RECT BrightBox(const CPixels& pixels, int inset) {
    RECT box = {pixels.width, pixels.height, -1, -1};
    for (int y = inset; y < pixels.height - inset; ++y)
        for (int x = inset; x < pixels.width - inset; ++x)
            if (Brightness(pixels.At(x, y)) > 600) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}

class ButtonSamples : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gdiplus.Started());
        ParkCursor();
        ASSERT_TRUE(dialog.Create());
        SetWindowPos(dialog.GetSafeHwnd(), nullptr, 250, 250, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
        PumpFor(0);
        CreateDirectoryA(BUTTON_SAMPLES_DIR, nullptr);
    }

    void Place(CGdiPlusButton& button, const char* caption, int x, int y, int width, int height,
               DWORD style = 0) {
        RECT rect = {x, y, x + width, y + height};
        ASSERT_TRUE(button.Create(caption, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | style, rect,
                                  dialog.GetSafeHwnd(), static_cast<UINT>(200 + y)));
        PumpFor(0);
    }

    void Save(const CPixels& pixels, const char* name) {
        std::string path = std::string(BUTTON_SAMPLES_DIR) + "/" + name + ".bmp";
        EXPECT_TRUE(pixels.SaveBmp(path)) << path;
    }

    CGdiplusSession gdiplus;
    CTestDialog dialog{IDD_SAMPLES};
};

TEST_F(ButtonSamples, RendersEveryLook) {
    CProbeButton normal, hot, pressed, disabled, glowing, focused;
    Place(normal, "Normal", 10, 10, 110, 30);
    Place(hot, "Hot", 130, 10, 110, 30);
    Place(pressed, "Pressed", 250, 10, 110, 30);
    Place(disabled, "Disabled", 10, 50, 110, 30);
    Place(glowing, "Default", 130, 50, 110, 30);
    Place(focused, "&Focused", 250, 50, 110, 30);

    SendMessageA(hot.GetSafeHwnd(), WM_MOUSEMOVE, 0, PointParam(5, 5));
    SendMessageA(pressed.GetSafeHwnd(), WM_MOUSEMOVE, 0, PointParam(5, 5));
    SendMessageA(pressed.GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, PointParam(5, 5));
    EnableWindow(disabled.GetSafeHwnd(), FALSE);
    glowing.m_fGlow = 0.26f;
    SendMessageA(glowing.GetSafeHwnd(), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    SetFocus(focused.GetSafeHwnd());
    SendMessageA(focused.GetSafeHwnd(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
    KillTimer(focused.GetSafeHwnd(), CGdiPlusButton::GlowTimerId);

    Save(RenderButton(normal), "normal");
    Save(RenderButton(hot), "hot");
    Save(RenderButton(pressed), "pressed");
    Save(RenderButton(disabled), "disabled");
    Save(RenderButton(glowing), "default-glow");
    Save(RenderButton(focused), "focused");
    EXPECT_EQ(CGdiPlusButton::StatePressed, pressed.GetState());
    EXPECT_EQ(CGdiPlusButton::StateHot, hot.GetState());
    Save(CaptureClient(dialog.GetSafeHwnd()), "screen-looks");
}

TEST_F(ButtonSamples, FinishScreenLookCentresItsCaption) {
    const wchar_t caption[] = L"Close and Start MS Outlook";
    Gdiplus::RectF box;
    {
        Gdiplus::Graphics graphics(dialog.GetSafeHwnd());
        Gdiplus::Font font(L"Arial", 14.0f, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
        graphics.MeasureString(caption, -1, &font, Gdiplus::RectF(0, 0, 0, 0), &box);
    }
    ASSERT_GT(box.Width, 150.0f) << "Arial must be mapped to Liberation Sans";
    int width = static_cast<int>(20 + box.Width);
    int height = static_cast<int>(20 + box.Height);

    CButtonCloseFinishDlg normal, hot, pressed;
    Place(normal, "Close and Start MS Outlook", 10, 100, width, height);
    Place(hot, "Close and Start MS Outlook", 10, 150, width, height);
    Place(pressed, "Close and Start MS Outlook", 10, 200, width, height);
    SendMessageA(hot.GetSafeHwnd(), WM_MOUSEMOVE, 0, PointParam(5, 5));
    SendMessageA(pressed.GetSafeHwnd(), WM_MOUSEMOVE, 0, PointParam(5, 5));
    SendMessageA(pressed.GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, PointParam(5, 5));
    KillTimer(pressed.GetSafeHwnd(), CGdiPlusButton::GlowTimerId);
    SetFocus(dialog.GetSafeHwnd());

    CPixels face = RenderButton(normal);
    Save(face, "finish-normal");
    Save(RenderButton(hot), "finish-hot");
    Save(RenderButton(pressed), "finish-pressed");
    Save(CaptureClient(dialog.GetSafeHwnd()), "screen-finish");

    // The outer ring (0xD0D0D0, 4 wide around the line 2 pixels in) and the inner
    // border just inside it.
    EXPECT_EQ(0xD0D0D0u, face.At(width / 2, 1));
    EXPECT_EQ(0xD0D0D0u, face.At(width / 2, 2));
    EXPECT_EQ(0x4E5A68u, face.At(width / 2, height - 4));
    RECT text = BrightBox(face, 8);
    ASSERT_LT(text.left, text.right);
    EXPECT_NEAR(width / 2.0, (text.left + text.right) / 2.0, 2.0);
    EXPECT_NEAR(height / 2.0, (text.top + text.bottom) / 2.0, 3.0);
    // Arial 14 px: the ink fills the measured box but for its padding.
    EXPECT_GT(text.right - text.left, box.Width - 12);
    EXPECT_LE(text.right - text.left, box.Width);
}

} // namespace
