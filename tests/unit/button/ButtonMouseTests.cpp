// The button's own mouse handling under Wine: state, hover tracking, clicks posted
// to the parent, disabled buttons, and the rounded window region.
#include <gtest/gtest.h>

#include "ButtonTestSupport.h"

namespace {

const UINT kId = 42;

class ButtonMouse : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gdiplus.Started());
        ParkCursor();
        RECT rect = {20, 20, 140, 52};
        ASSERT_TRUE(button.Create("Sample", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                  rect, parent.Get(), kId));
        PumpFor(0); // the WM_SIZE that binding posted
    }

    HWND Button() const { return button.GetSafeHwnd(); }

    void Send(UINT message, POINT point) {
        WPARAM keys = message == WM_LBUTTONUP || message == WM_MOUSEMOVE ? 0 : MK_LBUTTON;
        SendMessageA(Button(), message, keys, PointParam(point.x, point.y));
    }

    POINT Outside() const {
        RECT rect = ClientRect(Button());
        return POINT{rect.right + 15, rect.bottom / 2};
    }

    POINT ToScreen(HWND hwnd, POINT point) const {
        ClientToScreen(hwnd, &point);
        return point;
    }

    CGdiplusSession gdiplus;
    CTestParent parent{300, 300, 200, 100};
    CProbeButton button;
};

enum Where { Inside, Outside };

struct Step {
    UINT message;
    Where where;
};

struct Sequence {
    const char* name;
    std::vector<Step> steps;
    size_t clicks;
    int finalState;
};

const Sequence kSequences[] = {
    {"press and release inside",
     {{WM_MOUSEMOVE, Inside}, {WM_LBUTTONDOWN, Inside}, {WM_LBUTTONUP, Inside}},
     1,
     CGdiPlusButton::StateHot},
    {"press, leave, release outside",
     {{WM_MOUSEMOVE, Inside},
      {WM_LBUTTONDOWN, Inside},
      {WM_MOUSELEAVE, Outside},
      {WM_LBUTTONUP, Outside}},
     0,
     CGdiPlusButton::StateNormal},
    {"press, release outside before the leave arrives",
     {{WM_MOUSEMOVE, Inside}, {WM_LBUTTONDOWN, Inside}, {WM_LBUTTONUP, Outside}},
     0,
     CGdiPlusButton::StateNormal},
    {"press, leave, come back, release inside",
     {{WM_MOUSEMOVE, Inside},
      {WM_LBUTTONDOWN, Inside},
      {WM_MOUSELEAVE, Outside},
      {WM_MOUSEMOVE, Inside},
      {WM_LBUTTONUP, Inside}},
     0,
     CGdiPlusButton::StateHot},
    {"double click",
     {{WM_MOUSEMOVE, Inside},
      {WM_LBUTTONDOWN, Inside},
      {WM_LBUTTONUP, Inside},
      {WM_LBUTTONDBLCLK, Inside},
      {WM_LBUTTONUP, Inside}},
     2,
     CGdiPlusButton::StateHot},
    {"release without a press",
     {{WM_MOUSEMOVE, Inside}, {WM_LBUTTONUP, Inside}},
     0,
     CGdiPlusButton::StateHot},
};

TEST_F(ButtonMouse, ClicksArePostedToTheParentAfterTheRelease) {
    for (const Sequence& sequence : kSequences) {
        SCOPED_TRACE(sequence.name);
        SendMessageA(Button(), WM_MOUSELEAVE, 0, 0);
        PumpFor(0);
        parent.commands.clear();
        for (const Step& step : sequence.steps)
            Send(step.message, step.where == Inside ? ClientCenter(Button()) : Outside());
        // Posted, not sent: nothing has arrived while the release was handled.
        EXPECT_TRUE(parent.commands.empty());
        PumpFor(0);
        ASSERT_EQ(sequence.clicks, parent.commands.size());
        for (const CTestParent::Command& command : parent.commands) {
            EXPECT_EQ(MAKEWPARAM(kId, BN_CLICKED), command.wParam);
            EXPECT_EQ(reinterpret_cast<LPARAM>(Button()), command.lParam);
        }
        EXPECT_EQ(sequence.finalState, button.GetState());
    }
}

TEST_F(ButtonMouse, PressShowsPressedAndTakesTheFocus) {
    Send(WM_MOUSEMOVE, ClientCenter(Button()));
    Send(WM_LBUTTONDOWN, ClientCenter(Button()));
    EXPECT_EQ(CGdiPlusButton::StatePressed, button.GetState());
    EXPECT_EQ(Button(), GetFocus());
    // The button never captures the mouse: a release elsewhere is not its business.
    EXPECT_NE(Button(), GetCapture());
}

TEST_F(ButtonMouse, MovingOntoItTracksOneHoverAndOneLeave) {
    POINT center = ClientCenter(Button());
    // The system tracks only while the real cursor is over the window.
    SetCursorPos(ToScreen(Button(), center).x, ToScreen(Button(), center).y);
    Send(WM_MOUSEMOVE, center);
    EXPECT_EQ(CGdiPlusButton::StateHot, button.GetState());

    TRACKMOUSEEVENT query = {sizeof query, TME_QUERY, nullptr, 0};
    ASSERT_TRUE(TrackMouseEvent(&query));
    EXPECT_EQ(Button(), query.hwndTrack);
    EXPECT_EQ(static_cast<DWORD>(TME_HOVER | TME_LEAVE), query.dwFlags & (TME_HOVER | TME_LEAVE));
    EXPECT_EQ(1u, query.dwHoverTime);

    EXPECT_TRUE(PumpUntil([&] { return button.hovers > 0; }));
    for (int i = 0; i < 3; ++i) {
        Send(WM_MOUSEMOVE, POINT{center.x + i, center.y});
        PumpFor(30);
    }
    EXPECT_EQ(1, button.hovers);
    EXPECT_EQ(0, button.leaves);
    EXPECT_EQ(CGdiPlusButton::StateHot, button.GetState());

    MoveCursorTo(ToScreen(parent.Get(), POINT{185, 85}));
    EXPECT_TRUE(PumpUntil([&] { return button.leaves > 0; }));
    PumpFor(100);
    EXPECT_EQ(1, button.hovers);
    EXPECT_EQ(1, button.leaves);
    EXPECT_EQ(CGdiPlusButton::StateNormal, button.GetState());
}

TEST_F(ButtonMouse, DisabledButtonNeverChangesStateOrClicks) {
    EnableWindow(Button(), FALSE);
    PumpFor(0);
    parent.commands.clear();
    for (const Sequence& sequence : kSequences) {
        SCOPED_TRACE(sequence.name);
        for (const Step& step : sequence.steps) {
            Send(step.message, step.where == Inside ? ClientCenter(Button()) : Outside());
            EXPECT_EQ(CGdiPlusButton::StateNormal, button.GetState()) << step.message;
        }
    }
    Send(WM_MOUSEHOVER, ClientCenter(Button()));
    SendMessageA(Button(), BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(CGdiPlusButton::StateNormal, button.GetState());
    PumpFor(0);
    EXPECT_TRUE(parent.commands.empty());

    // Disabling a hot button puts it back to normal.
    EnableWindow(Button(), TRUE);
    Send(WM_MOUSELEAVE, Outside());
    Send(WM_MOUSEMOVE, ClientCenter(Button()));
    ASSERT_EQ(CGdiPlusButton::StateHot, button.GetState());
    EnableWindow(Button(), FALSE);
    EXPECT_EQ(CGdiPlusButton::StateNormal, button.GetState());
}

// ---------------------------------------------------------------- window region

class CRegion {
public:
    CRegion() : m_rgn(CreateRectRgn(0, 0, 0, 0)) {}
    CRegion(const CRegion&) = delete;
    CRegion& operator=(const CRegion&) = delete;
    ~CRegion() { DeleteObject(m_rgn); }
    HRGN Get() const { return m_rgn; }

private:
    HRGN m_rgn;
};

struct RegionCase {
    int diameter;
    int width;
    int height;
    // Corner points, counted from the nearest corner.
    POINT fromTopLeft;
    POINT fromBottomRight;
    bool inside;
};

const RegionCase kRegionCases[] = {
    {5, 120, 32, {0, 0}, {0, 0}, false},  {5, 120, 32, {2, 2}, {3, 3}, true},
    {20, 160, 40, {2, 2}, {2, 2}, false}, {20, 160, 40, {6, 6}, {8, 8}, true},
    {12, 90, 24, {1, 1}, {1, 1}, false},  {12, 90, 24, {14, 3}, {14, 3}, true},
};

TEST_F(ButtonMouse, RegionIsSetOnAttachment) {
    CRegion region;
    ASSERT_NE(ERROR, GetWindowRgn(Button(), region.Get()));
    EXPECT_FALSE(PtInRegion(region.Get(), 0, 0));
    EXPECT_TRUE(PtInRegion(region.Get(), 60, 16));
}

TEST_F(ButtonMouse, RegionFollowsEveryResizeAndLetsCornerClicksThrough) {
    for (const RegionCase& c : kRegionCases) {
        SCOPED_TRACE(testing::Message() << "diameter " << c.diameter << ", " << c.width << "x"
                                        << c.height << ", inside " << c.inside);
        button.SetRoundedFrame(false, c.diameter);
        SetWindowPos(Button(), nullptr, 0, 0, c.width, c.height, SWP_NOMOVE | SWP_NOZORDER);
        PumpFor(0);
        CRegion region;
        ASSERT_NE(ERROR, GetWindowRgn(Button(), region.Get()));
        RECT box = {};
        GetRgnBox(region.Get(), &box);
        EXPECT_NEAR(c.width, box.right, 2);
        EXPECT_NEAR(c.height, box.bottom, 2);

        POINT corners[] = {
            c.fromTopLeft,
            {c.width - 1 - c.fromBottomRight.x, c.height - 1 - c.fromBottomRight.y},
        };
        for (POINT corner : corners) {
            EXPECT_EQ(c.inside, PtInRegion(region.Get(), corner.x, corner.y) != FALSE)
                << corner.x << "," << corner.y;
            HWND hit = WindowFromPoint(ToScreen(Button(), corner));
            EXPECT_EQ(c.inside ? Button() : parent.Get(), hit) << corner.x << "," << corner.y;
        }
        EXPECT_EQ(Button(), WindowFromPoint(ToScreen(Button(), ClientCenter(Button()))));
    }
}

} // namespace
