// What the button paints, read back as pixels: background, caption, focus
// rectangle, glow, image, and that the screen keeps our face after the system
// button has painted itself.
#include <gtest/gtest.h>

#include "ButtonTestSupport.h"

namespace {

const UINT kId = 42;
const DWORD kWhite = 0xFFFFFF;
const DWORD kDisabledText = 0x708A90;
const DWORD kFocus = 0xD3D3D3;

int Brightness(DWORD rgb) {
    return static_cast<int>(((rgb >> 16) & 0xFF) + ((rgb >> 8) & 0xFF) + (rgb & 0xFF));
}

class ButtonPaint : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gdiplus.Started());
        ParkCursor();
        ASSERT_TRUE(Make(button, "Sample", 20));
    }

    bool Make(CGdiPlusButton& target, const char* caption, int top, DWORD style = 0) {
        RECT rect = {20, top, 140, top + 32};
        bool made = target.Create(caption, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | style, rect,
                                  parent.Get(), kId);
        PumpFor(0);
        return made;
    }

    HWND Button() const { return button.GetSafeHwnd(); }

    CGdiplusSession gdiplus;
    CTestParent parent{300, 300, 200, 200};
    CProbeButton button;
};

TEST_F(ButtonPaint, FaceLiesOverTheParentsBackground) {
    CPixels face = RenderButton(button);
    ASSERT_EQ(120, face.width);
    ASSERT_EQ(32, face.height);
    // The corners outside the rounded frame show what the parent paints there.
    EXPECT_EQ(CTestParent::kBackground, face.At(0, 0));
    EXPECT_EQ(CTestParent::kBackground, face.At(119, 31));
    // The inner frame, then the gradient: light at the top, dark at the bottom.
    EXPECT_NE(CTestParent::kBackground, face.At(60, 1));
    EXPECT_GT(Brightness(face.At(10, 4)), Brightness(face.At(10, 27)));
}

TEST_F(ButtonPaint, CaptionColourFollowsTheEnabledState) {
    struct Case {
        BOOL enabled;
        DWORD shown;
        DWORD absent;
    } cases[] = {{TRUE, kWhite, kDisabledText},
                 {FALSE, kDisabledText, kWhite},
                 {TRUE, kWhite, kDisabledText}};
    SetWindowTextA(Button(), "Hill Mill"); // upright strokes, fully covered pixels
    for (const Case& c : cases) {
        SCOPED_TRACE(c.enabled ? "enabled" : "disabled");
        EnableWindow(Button(), c.enabled);
        CPixels face = RenderButton(button);
        EXPECT_GE(face.Count(c.shown), 5);
        EXPECT_EQ(0, face.Count(c.absent));
    }
}

TEST_F(ButtonPaint, SetTextChangesTheDrawnCaption) {
    CProbeButton reference;
    ASSERT_TRUE(Make(reference, "Other text", 80));
    CPixels before = RenderButton(button);
    SetWindowTextA(Button(), "Other text");
    EXPECT_EQ("Other text", button.GetCaption());
    CPixels after = RenderButton(button);
    EXPECT_FALSE(before == after);
    EXPECT_TRUE(after == RenderButton(reference));
    char text[32] = {};
    GetWindowTextA(Button(), text, sizeof text);
    EXPECT_STREQ("Other text", text);
}

TEST_F(ButtonPaint, CaptionSetBeforeAttachmentWins) {
    CProbeButton reference;
    ASSERT_TRUE(Make(reference, "Preset", 80));

    RECT rect = {20, 140, 140, 172};
    HWND templateButton =
        CreateWindowExA(0, "BUTTON", "Template", WS_CHILD | WS_VISIBLE, rect.left, rect.top, 120,
                        32, parent.Get(), nullptr, nullptr, nullptr);
    ASSERT_TRUE(templateButton);
    CProbeButton preset;
    preset.m_strCaption = "Preset";
    ASSERT_TRUE(FwDDXControl(parent.Get(), GetDlgCtrlID(templateButton), preset));
    PumpFor(0);
    EXPECT_EQ("Preset", preset.GetCaption());
    EXPECT_TRUE(RenderButton(preset) == RenderButton(reference));

    // Without one, the window's text becomes the caption.
    preset.UnsubclassWindow();
    CProbeButton plain;
    ASSERT_TRUE(plain.SubclassWindow(templateButton));
    EXPECT_EQ("Template", plain.GetCaption());

    CProbeButton created;
    created.m_strCaption = "Preset";
    ASSERT_TRUE(Make(created, "Given", 100));
    EXPECT_EQ("Preset", created.GetCaption());
}

TEST_F(ButtonPaint, FocusRectangleIsDottedOnePixelInsideTheFace) {
    struct Case {
        bool focused;
        bool show;
    } cases[] = {{true, true}, {true, false}, {false, true}, {true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "focused " << c.focused << ", shown " << c.show);
        button.SetShowFocusRect(c.show);
        SetFocus(c.focused ? Button() : parent.Get());
        ASSERT_EQ(c.focused, GetFocus() == Button());
        CPixels face = RenderButton(button);
        // Border at 1, face from 1, focus rectangle at 2: rows 2 and 29, columns 2 and 117.
        RECT top = {10, 2, 110, 3};
        RECT left = {2, 8, 3, 24};
        RECT border = {10, 1, 110, 2};
        int dots = face.Count(kFocus, top);
        if (c.focused && c.show) {
            EXPECT_GE(dots, 40);
            EXPECT_LE(dots, 60);
            EXPECT_GE(face.Count(kFocus, left), 6);
            for (int x = 10; x < 110; ++x)
                EXPECT_FALSE(face.At(x, 2) == kFocus && face.At(x + 1, 2) == kFocus) << x;
        } else {
            EXPECT_EQ(0, dots);
            EXPECT_EQ(0, face.Count(kFocus, left));
        }
        EXPECT_EQ(0, face.Count(kFocus, border));
    }
}

TEST_F(ButtonPaint, GlowAppearsOnlyAfterTheFirstTimerTick) {
    button.SetShowFocusRect(false);
    CPixels plain = RenderButton(button);
    SendMessageA(Button(), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_EQ(static_cast<LRESULT>(DLGC_BUTTON | DLGC_DEFPUSHBUTTON),
              SendMessageA(Button(), WM_GETDLGCODE, 0, 0));
    // The button's own style is kept: its look is ours alone.
    EXPECT_EQ(0, GetWindowLongA(Button(), GWL_STYLE) & BS_DEFPUSHBUTTON);

    SetFocus(Button()); // starts the timer
    EXPECT_TRUE(RenderButton(button) == plain);
    ASSERT_TRUE(PumpUntil([&] { return button.m_fGlow > 0.0f; }));
    EXPECT_FLOAT_EQ(0.26f, button.m_fGlow);
    CPixels glowing = RenderButton(button);
    const int x = 100;
    EXPECT_GT(Brightness(glowing.At(x, 28)), Brightness(plain.At(x, 28)) + 60);
    EXPECT_NEAR(Brightness(glowing.At(x, 3)), Brightness(plain.At(x, 3)), 6);
    // Without pulsing it stays where the one tick left it.
    PumpFor(150);
    EXPECT_TRUE(RenderButton(button) == glowing);

    // Hovering puts it out; only the normal state shows it.
    SendMessageA(Button(), WM_MOUSEHOVER, 0, PointParam(60, 16));
    EXPECT_FLOAT_EQ(0.0f, button.m_fGlow);
}

TEST_F(ButtonPaint, PulsingGlowKeepsChanging) {
    button.SetShowFocusRect(false);
    button.m_bPulse = true;
    SendMessageA(Button(), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    SetFocus(Button());
    std::vector<float> levels;
    std::vector<CPixels> faces;
    for (int i = 0; i < 4; ++i) {
        float last = button.m_fGlow;
        ASSERT_TRUE(PumpUntil([&] { return button.m_fGlow != last; }));
        levels.push_back(button.m_fGlow);
        faces.push_back(RenderButton(button));
    }
    for (size_t i = 1; i < levels.size(); ++i) {
        EXPECT_GT(levels[i], levels[i - 1]);
        EXPECT_FALSE(faces[i] == faces[i - 1]) << i;
    }
    EXPECT_LE(levels.back(), 0.5f);
}

TEST_F(ButtonPaint, AltShowsTheAcceleratorFromThenOn) {
    SetWindowTextA(Button(), "&Sample");
    CPixels hidden = RenderButton(button);
    SendMessageA(Button(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL | UISF_HIDEFOCUS),
                 0);
    CPixels shown = RenderButton(button);
    EXPECT_FALSE(shown == hidden);
    EXPECT_GT(shown.Count(kWhite), hidden.Count(kWhite));
    SendMessageA(Button(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEACCEL), 0);
    EXPECT_TRUE(RenderButton(button) == shown);
}

TEST_F(ButtonPaint, DisabledImageIsGreyed) {
    CProbeButton pictured;
    pictured.m_spImage = boost::make_shared<Gdiplus::Bitmap>(16, 16, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics graphics(pictured.m_spImage.get());
        Gdiplus::SolidBrush red{Gdiplus::Color(255, 255, 0, 0)};
        graphics.FillRectangle(&red, 0, 0, 16, 16);
    }
    ASSERT_TRUE(Make(pictured, "", 80));
    // Left-aligned, 5 pixels in, centred vertically.
    CPixels enabled = RenderButton(pictured);
    EXPECT_EQ(0xFF0000u, enabled.At(12, 16));
    EnableWindow(pictured.GetSafeHwnd(), FALSE);
    CPixels disabled = RenderButton(pictured);
    DWORD grey = disabled.At(12, 16);
    int red = static_cast<int>((grey >> 16) & 0xFF);
    int green = static_cast<int>((grey >> 8) & 0xFF);
    EXPECT_LT(red, green + 20) << std::hex << grey;
}

// The system button draws itself straight to the screen while handling these;
// what stays there must be our face.
TEST_F(ButtonPaint, ScreenKeepsOurFaceAfterTheSystemButtonPainted) {
    struct Action {
        const char* name;
        void (*run)(HWND button, HWND parent);
    } actions[] = {
        {"focus", [](HWND b, HWND) { SetFocus(b); }},
        {"space held", [](HWND b, HWND) { SendMessageA(b, BM_SETSTATE, TRUE, 0); }},
        {"space released", [](HWND b, HWND) { SendMessageA(b, BM_SETSTATE, FALSE, 0); }},
        {"text", [](HWND b, HWND) { SetWindowTextA(b, "Changed"); }},
        {"ui state",
         [](HWND b, HWND) {
             SendMessageA(b, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
         }},
        {"focus lost", [](HWND, HWND p) { SetFocus(p); }},
        {"disabled", [](HWND b, HWND) { EnableWindow(b, FALSE); }},
        {"enabled", [](HWND b, HWND) { EnableWindow(b, TRUE); }},
    };
    button.SetShowFocusRect(true);
    PumpFor(0);
    for (const Action& action : actions) {
        SCOPED_TRACE(action.name);
        action.run(Button(), parent.Get());
        for (int pass = 0; pass < 2; ++pass) {
            CPixels screen = CaptureClient(Button());
            CPixels face = RenderButton(button);
            ASSERT_EQ(face.width, screen.width);
            int different = 0;
            for (int y = 3; y < face.height - 3; ++y)
                for (int x = 3; x < face.width - 3; ++x)
                    different += screen.At(x, y) != face.At(x, y) ? 1 : 0;
            EXPECT_EQ(0, different) << (pass ? "after the queued messages" : "at once");
            PumpFor(0);
        }
    }
    EXPECT_EQ(CGdiPlusButton::StateNormal, button.GetState());
}

} // namespace
