// The GDI+ dialog background under Wine: pixels read back through WM_PRINTCLIENT,
// the render-once-per-size rule and the size posted to every descendant.
#include <windows.h>

#include <vector>

#include <gtest/gtest.h>

#include "UiTestIds.h"
#include "UiTestSupport.h"
#include "framework/FwGdiplusFlat.h"
#include "framework/FwWnd.h"
#include "ui/GdiPlusDlg.h"

namespace {

struct FillCall {
    int x, y, width, height, mode;
};

class CTestBackgroundDlg : public CGdiPlusDlg {
public:
    CTestBackgroundDlg() : CGdiPlusDlg(IDD_TEST_GDIPLUS, nullptr) {}

    void SetMode(int mode) { m_nFillMode = mode; }
    void SetColours(Gdiplus::ARGB top, Gdiplus::ARGB bottom) {
        m_clrTop = top;
        m_clrBottom = bottom;
    }

    void FillBackground(boost::shared_ptr<Gdiplus::Graphics> graphics, int x, int y, int width,
                        int height, int mode) override {
        calls.push_back(FillCall{x, y, width, height, mode});
        CGdiPlusDlg::FillBackground(graphics, x, y, width, height, mode);
    }

    std::vector<FillCall> calls;
};

// Records the WM_SIZE messages a window receives.
class CSizeRecorder : public CFwWnd {
public:
    std::vector<LPARAM> sizes;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SIZE)
            sizes.push_back(lParam);
        return CFwWnd::WindowProc(message, wParam, lParam);
    }
};

class GdiPlusDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dlg.Create());
        hwnd = dlg.GetSafeHwnd();
    }

    void Resize(HWND window, int width, int height) {
        SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
        PumpMessages();
    }

    CTestBackgroundDlg dlg;
    HWND hwnd = nullptr;
};

TEST_F(GdiPlusDlgTest, DefaultGradientRunsFromLightGreyToDarkerGreyRowByRow) {
    // Several heights: a tiled gradient can wrap its first or last row round to
    // the other end's colour at some of them.
    for (int height : {0, 180, 226, 250, 377, 500}) {
        if (height)
            Resize(hwnd, 360, height);
        SIZE size = ClientSize(hwnd);
        CPixelCapture capture(size.cx, size.cy);
        capture.PrintClient(hwnd);

        EXPECT_EQ(capture.At(0, 0), 0xFAFAFAu) << "height " << size.cy;
        uint32_t bottom = capture.At(0, size.cy - 1);
        EXPECT_NEAR(Red(bottom), 217, 2) << "height " << size.cy;
        EXPECT_EQ(Red(bottom), Green(bottom));
        EXPECT_EQ(Red(bottom), Blue(bottom));
        int previous = 255;
        for (int y = 0; y < size.cy; ++y) {
            uint32_t first = capture.At(0, y);
            for (int x = 1; x < size.cx; ++x)
                ASSERT_EQ(capture.At(x, y), first) << "row " << y << " column " << x;
            ASSERT_LE(Red(first), previous) << "row " << y << " of " << size.cy;
            previous = Red(first);
        }
    }
}

TEST_F(GdiPlusDlgTest, SolidModeFillsWithTheTopColour) {
    dlg.SetMode(CGdiPlusDlg::FillSolid);
    dlg.SetColours(0xFF336699, 0xFF000000);
    SIZE size = ClientSize(hwnd);
    CPixelCapture capture(size.cx, size.cy);
    capture.PrintClient(hwnd);
    for (uint32_t pixel : capture.Snapshot())
        ASSERT_EQ(pixel & 0xFFFFFF, 0x336699u);
}

TEST_F(GdiPlusDlgTest, OtherModesDrawNothing) {
    dlg.SetMode(2);
    SIZE size = ClientSize(hwnd);
    CPixelCapture capture(size.cx, size.cy, 0x00123456);
    capture.PrintClient(hwnd);
    for (uint32_t pixel : capture.Snapshot())
        ASSERT_EQ(pixel & 0xFFFFFF, 0x123456u);
}

TEST_F(GdiPlusDlgTest, RendersOnceAtTheFirstPaintAndOnceAfterEachSize) {
    SIZE size = ClientSize(hwnd);
    CPixelCapture capture(size.cx, size.cy);
    capture.PrintClient(hwnd);
    ASSERT_EQ(dlg.calls.size(), 1u);
    EXPECT_EQ(dlg.calls[0].x, 0);
    EXPECT_EQ(dlg.calls[0].y, 0);
    EXPECT_EQ(dlg.calls[0].width, size.cx);
    EXPECT_EQ(dlg.calls[0].height, size.cy);
    EXPECT_EQ(dlg.calls[0].mode, CGdiPlusDlg::FillVerticalGradient);

    // Later paints only blit.
    capture.PrintClient(hwnd);
    ShowWindow(hwnd, SW_SHOWNA);
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
    EXPECT_EQ(dlg.calls.size(), 1u);

    // A visible dialog repaints at once after a size change, for the new size.
    RECT window = {};
    GetWindowRect(hwnd, &window);
    for (int grow : {40, 90}) {
        size_t before = dlg.calls.size();
        Resize(hwnd, window.right - window.left + grow, window.bottom - window.top + grow / 2);
        SIZE now = ClientSize(hwnd);
        ASSERT_EQ(dlg.calls.size(), before + 1) << "grow " << grow;
        EXPECT_EQ(dlg.calls.back().width, now.cx);
        EXPECT_EQ(dlg.calls.back().height, now.cy);
        capture.PrintClient(hwnd);
        EXPECT_EQ(dlg.calls.size(), before + 1);
    }
}

TEST_F(GdiPlusDlgTest, EraseBackgroundIsSwallowedWithoutTouchingPixels) {
    SIZE size = ClientSize(hwnd);
    CPixelCapture capture(size.cx, size.cy, 0x00ABCDEF);
    LRESULT erased = SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(capture.Dc()), 0);
    EXPECT_NE(erased, 0);
    for (uint32_t pixel : capture.Snapshot())
        ASSERT_EQ(pixel & 0xFFFFFF, 0xABCDEFu);
}

TEST_F(GdiPlusDlgTest, EveryDescendantGetsTheDialogsClientSizePosted) {
    CSizeRecorder child;
    ASSERT_TRUE(child.SubclassWindow(GetDlgItem(hwnd, IDC_TEST_CHILD)));
    CSizeRecorder grandchild;
    RECT inner = {0, 0, 10, 10};
    ASSERT_TRUE(
        grandchild.CreateEx(0, "Static", "", WS_CHILD | WS_VISIBLE, inner, child.GetSafeHwnd(), 1));
    PumpMessages();
    child.sizes.clear();
    grandchild.sizes.clear();

    Resize(hwnd, 500, 300);
    SIZE size = ClientSize(hwnd);
    LPARAM expected = MAKELPARAM(size.cx, size.cy);
    ASSERT_FALSE(grandchild.sizes.empty());
    EXPECT_EQ(grandchild.sizes.back(), expected);
    ASSERT_FALSE(child.sizes.empty());
    EXPECT_EQ(child.sizes.back(), expected);
}

TEST_F(GdiPlusDlgTest, TwoDialogsEachPostTheirOwnSize) {
    CTestBackgroundDlg second;
    ASSERT_TRUE(second.Create());
    Resize(second.GetSafeHwnd(), 640, 420);
    CSizeRecorder firstChild;
    CSizeRecorder secondChild;
    ASSERT_TRUE(firstChild.SubclassWindow(GetDlgItem(hwnd, IDC_TEST_CHILD)));
    ASSERT_TRUE(secondChild.SubclassWindow(GetDlgItem(second.GetSafeHwnd(), IDC_TEST_CHILD)));

    // The first dialog is resized after the second was made.
    Resize(hwnd, 480, 260);
    SIZE first = ClientSize(hwnd);
    ASSERT_FALSE(firstChild.sizes.empty());
    EXPECT_EQ(firstChild.sizes.back(), MAKELPARAM(first.cx, first.cy));
    EXPECT_TRUE(secondChild.sizes.empty());

    Resize(second.GetSafeHwnd(), 700, 450);
    SIZE other = ClientSize(second.GetSafeHwnd());
    ASSERT_FALSE(secondChild.sizes.empty());
    EXPECT_EQ(secondChild.sizes.back(), MAKELPARAM(other.cx, other.cy));
    EXPECT_NE(first.cx, other.cx);
}

TEST_F(GdiPlusDlgTest, AnEmptyClientAreaPaintsNothingAndRecoversOnTheNextSize) {
    // A window smaller than its title bar has no client area.
    Resize(hwnd, 30, 5);
    ASSERT_EQ(ClientSize(hwnd).cy, 0);
    CPixelCapture capture(40, 40, 0x00123456);
    capture.PrintClient(hwnd);
    for (uint32_t pixel : capture.Snapshot())
        ASSERT_EQ(pixel & 0xFFFFFF, 0x123456u);

    Resize(hwnd, 300, 200);
    capture.PrintClient(hwnd);
    EXPECT_EQ(capture.At(0, 0), 0xFAFAFAu);
}

TEST_F(GdiPlusDlgTest, FailingGdiplusDrawsNothingAndDoesNotCrash) {
    // Every GDI+ call fails as before start-up: no bitmap, graphics or cache.
    FwGdiplusResolveFlat(nullptr);
    SIZE size = ClientSize(hwnd);
    CPixelCapture capture(size.cx, size.cy, 0x00123456);
    capture.PrintClient(hwnd);
    ShowWindow(hwnd, SW_SHOWNA);
    UpdateWindow(hwnd);
    Resize(hwnd, 320, 240);
    std::vector<uint32_t> pixels = capture.Snapshot();
    ASSERT_TRUE(FwGdiplusResolveFlat(GetModuleHandleA("gdiplus.dll")));
    for (uint32_t pixel : pixels)
        ASSERT_EQ(pixel & 0xFFFFFF, 0x123456u);

    // Working again, the next size change renders for real.
    Resize(hwnd, 330, 250);
    capture.PrintClient(hwnd);
    EXPECT_EQ(capture.At(0, 0), 0xFAFAFAu);
}

const ::testing::Environment* const kGdiplus =
    ::testing::AddGlobalTestEnvironment(new CGdiplusEnvironment);

} // namespace
