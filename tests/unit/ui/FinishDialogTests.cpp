// The finish dialog under Wine: layout from the template and the measured caption,
// the strip, the keys that must not close it, the two ways it ends, and its folder.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "error/Q7Exception.h"
#include "fs/FileSystem.h"
#include "outlook/OutlookLauncher.h"
#include "ui/DlgFinishSetupImpl.h"

namespace {

// Records what the button asks of the system; lists one running Outlook.
class CScriptedLauncherSystem : public IOutlookLauncherSystem {
public:
    void ListProcesses(CProcessesEnum& processes) override {
        calls.push_back("list");
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        entry.th32ProcessID = 4242;
        lstrcpynA(entry.szExeFile, "OUTLOOK.EXE", MAX_PATH);
        processes.push_back(entry);
    }
    void PostCloseToWindows(DWORD processId) override {
        calls.push_back("close " + std::to_string(processId));
    }
    OutlookWaitResult WaitOrTerminate(DWORD processId, DWORD) override {
        calls.push_back("wait " + std::to_string(processId));
        return OutlookWaitResult::Ended;
    }
    void ShellStart(const char* verb, const char* file, int) override {
        calls.push_back(std::string("start ") + verb + " " + file);
    }

    std::vector<std::string> calls;
};

const std::vector<std::string> kRestart = {"list", "close 4242", "wait 4242", "start open outlook"};

// Runs the dialog modally; once it is up, each step runs from a timer inside the
// dialog's own loop, as a user's actions would arrive.
class CScriptedFinishDlg : public CDlgFinishSetupImpl {
public:
    std::vector<std::function<void(CScriptedFinishDlg&)>> steps;

    HWND Button() const { return GetDlgItem(GetSafeHwnd(), 55007); }
    const CFwWnd* ScrollingView() const { return &m_wndHtmlViewEx; }
    const CFwWnd* PlainView() const { return &m_wndHtmlView; }
    HWND View() const { return GetDlgItem(GetSafeHwnd(), 1000); }
    bool Open() const { return GetSafeHwnd() && IsWindowVisible(GetSafeHwnd()); }

protected:
    BOOL OnInitDialog() override {
        BOOL result = CDlgFinishSetupImpl::OnInitDialog();
        SetTimer(GetSafeHwnd(), kStepTimer, 150, nullptr);
        return result;
    }
    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (message == WM_TIMER && wParam == kStepTimer) {
            if (m_next < steps.size())
                steps[m_next++](*this);
            else
                KillTimer(GetSafeHwnd(), kStepTimer);
            *result = 0;
            return true;
        }
        return CDlgFinishSetupImpl::WindowProc(message, wParam, lParam, result);
    }

private:
    static const UINT_PTR kStepTimer = 77;
    size_t m_next = 0;
};

void PostKey(HWND target, WPARAM vk) {
    PostMessageA(target, WM_KEYDOWN, vk, 1);
    PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
}

void PostClick(HWND button) {
    LPARAM at = MAKELPARAM(20, 10);
    PostMessageA(button, WM_MOUSEMOVE, 0, at);
    PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(button, WM_LBUTTONUP, 0, at);
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class FinishDialogTest : public ::testing::Test {
protected:
    void SetUp() override { dlg.SetLauncherSystem(&system); }

    CScriptedLauncherSystem system;
    CScriptedFinishDlg dlg;
};

TEST_F(FinishDialogTest, LaysOutViewStripAndButtonFromTheMeasuredCaption) {
    ASSERT_TRUE(dlg.Create());
    HWND hwnd = dlg.GetSafeHwnd();
    SIZE client = ClientSize(hwnd);

    char text[128] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    EXPECT_STREQ(text, "Quorvel Outlook Tolvane");
    GetWindowTextA(dlg.Button(), text, sizeof text);
    EXPECT_STREQ(text, "Close and Start MS Outlook");
    // The product icon (PNG images in the icon group) in the title bar and the task switcher.
    EXPECT_NE(SendMessageA(hwnd, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageA(hwnd, WM_GETICON, ICON_SMALL, 0), 0);

    HWND view = dlg.View();
    ASSERT_NE(view, nullptr);
    RECT viewRect = {};
    GetWindowRect(view, &viewRect);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&viewRect), 2);
    EXPECT_EQ(viewRect.left, 0);
    EXPECT_EQ(viewRect.top, 0);
    EXPECT_EQ(viewRect.right, client.cx);
    EXPECT_EQ(viewRect.bottom, client.cy - 50);
    EXPECT_EQ(GetWindowLongA(view, GWL_STYLE) & WS_BORDER, 0);
    // The product's own view, the one that lets the page scroll; the base's
    // plain view never becomes a window.
    EXPECT_EQ(CFwWnd::FromHandle(view), dlg.ScrollingView());
    EXPECT_EQ(dlg.PlainView()->GetSafeHwnd(), nullptr);

    // The caption as the button measures it: Arial 14 px, no format.
    Gdiplus::RectF box;
    {
        HDC dc = GetDC(dlg.Button());
        Gdiplus::Graphics graphics(dc);
        Gdiplus::Font font(L"Arial", 14.0f, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
        graphics.MeasureString(L"Close and Start MS Outlook", -1, &font, Gdiplus::RectF(0, 0, 0, 0),
                               &box);
        ReleaseDC(dlg.Button(), dc);
    }
    ASSERT_GT(box.Width, 100.0f); // a font that measures nothing would hide every fault
    RECT button = {};
    GetWindowRect(dlg.Button(), &button);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&button), 2);
    EXPECT_EQ(button.left, static_cast<int>(client.cx - box.Width - 20 - 5));
    EXPECT_EQ(button.top, static_cast<int>(client.cy - box.Height - 20 - 5));
    EXPECT_EQ(button.right - button.left, static_cast<int>(20 + box.Width));
    EXPECT_EQ(button.bottom - button.top, static_cast<int>(20 + box.Height));
    int rightGap = client.cx - button.right;
    int bottomGap = client.cy - button.bottom;
    EXPECT_EQ(rightGap, box.Width == static_cast<int>(box.Width) ? 5 : 6);
    EXPECT_EQ(bottomGap, box.Height == static_cast<int>(box.Height) ? 5 : 6);
}

TEST_F(FinishDialogTest, StripIsAGradientUnderATwoPixelGreyLine) {
    ASSERT_TRUE(dlg.Create());
    HWND hwnd = dlg.GetSafeHwnd();
    SIZE client = ClientSize(hwnd);
    int vh = client.cy - 50;
    CPixelCapture capture(client.cx, client.cy, 0x00123456);
    capture.PrintClient(hwnd);

    // Behind the view nothing is painted.
    EXPECT_EQ(capture.At(client.cx / 2, vh / 2), 0x123456u);
    // The line: two grey rows around the view's bottom edge, across the width.
    for (int x : {0, static_cast<int>(client.cx / 2), static_cast<int>(client.cx - 1)}) {
        EXPECT_EQ(capture.At(x, vh - 1), 0x808080u) << x;
        EXPECT_EQ(capture.At(x, vh), 0x808080u) << x;
    }
    // Below it, left of the button: light at the top, darker to the bottom row.
    int previous = 255;
    for (int y = vh + 1; y < client.cy; ++y) {
        uint32_t pixel = capture.At(2, y);
        ASSERT_EQ(Red(pixel), Blue(pixel)) << y;
        ASSERT_LE(Red(pixel), previous) << y;
        previous = Red(pixel);
    }
    EXPECT_GE(Red(capture.At(2, vh + 1)), 246);
    EXPECT_NEAR(Red(capture.At(2, client.cy - 1)), 217, 2);
}

TEST_F(FinishDialogTest, EscWithTheFocusOnButtonOrViewKeepsItOpenAndTheCloseBoxCancels) {
    std::vector<bool> openAfterEsc;
    HWND focusAtStart = nullptr;
    dlg.steps = {
        [&](CScriptedFinishDlg&) {
            focusAtStart = GetFocus();
            PostKey(GetFocus(), VK_ESCAPE);
        },
        [&](CScriptedFinishDlg& d) {
            openAfterEsc.push_back(d.Open());
            SetFocus(d.View());
            PostKey(GetFocus(), VK_ESCAPE);
        },
        [&](CScriptedFinishDlg& d) {
            openAfterEsc.push_back(d.Open());
            PostMessageA(d.GetSafeHwnd(), WM_CLOSE, 0, 0);
        },
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_NE(focusAtStart, nullptr);
    EXPECT_EQ(openAfterEsc, (std::vector<bool>{true, true}));
    EXPECT_TRUE(system.calls.empty());
}

TEST_F(FinishDialogTest, TheButtonGetsTheFocusFirst) {
    HWND focus = nullptr;
    HWND button = nullptr;
    dlg.steps = {[&](CScriptedFinishDlg& d) {
        focus = GetFocus();
        button = d.Button();
        PostMessageA(d.GetSafeHwnd(), WM_CLOSE, 0, 0);
    }};
    dlg.DoModal();
    EXPECT_EQ(focus, button);
}

// Each way of pressing the button restarts Outlook once and ends with IDOK.
TEST_F(FinishDialogTest, MouseSpaceAndEnterEachRestartOutlookOnce) {
    const std::vector<std::pair<const char*, std::function<void(CScriptedFinishDlg&)>>> presses = {
        {"mouse", [](CScriptedFinishDlg& d) { PostClick(d.Button()); }},
        {"space", [](CScriptedFinishDlg& d) { PostKey(d.Button(), VK_SPACE); }},
        {"enter", [](CScriptedFinishDlg& d) { PostKey(d.Button(), VK_RETURN); }},
    };
    for (const auto& press : presses) {
        CScriptedLauncherSystem launcher;
        CScriptedFinishDlg finish;
        finish.SetLauncherSystem(&launcher);
        finish.steps = {
            [&](CScriptedFinishDlg& d) {
                SetFocus(d.Button());
                press.second(d);
            },
            // Never reached when the press ended the dialog.
            [](CScriptedFinishDlg& d) { PostMessageA(d.GetSafeHwnd(), WM_CLOSE, 0, 0); }};
        EXPECT_EQ(finish.DoModal(), IDOK) << press.first;
        EXPECT_EQ(launcher.calls, kRestart) << press.first;
    }
}

TEST_F(FinishDialogTest, ContentFolderLivesExactlyAsLongAsTheDialogObject) {
    std::string folder;
    std::vector<std::string> whileShown;
    {
        CScriptedFinishDlg finish;
        CScriptedLauncherSystem launcher;
        finish.SetLauncherSystem(&launcher);
        folder = finish.GetContentFolder();
        ASSERT_EQ(folder.size() - folder.rfind('\\') - 1, 38u);
        ASSERT_TRUE(IsFolder(folder));
        finish.steps = {[&](CScriptedFinishDlg& d) {
            for (const char* file :
                 {"index.htm", "welcome_style.css", "images\\img1.jpg", "images\\title-tlvn.jpg",
                  "images\\bg-main.jpg", "images\\tick.jpg", "images\\main-bullet.gif"}) {
                std::string path = folder + "\\" + file;
                if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
                    whileShown.push_back(file);
            }
            PostMessageA(d.GetSafeHwnd(), WM_CLOSE, 0, 0);
        }};
        EXPECT_EQ(finish.DoModal(), IDCANCEL);
        // Ended, not yet destroyed: the page is still there.
        EXPECT_TRUE(IsFolder(folder));
    }
    EXPECT_EQ(whileShown.size(), 7u);
    EXPECT_FALSE(IsFolder(folder));
}

TEST(FinishDialogConstruction, UnusableTemporaryFolderThrowsAndShowsNothing) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string blocker = std::string(temp) + "finish-blocker.txt";
    HANDLE file = CreateFileA(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    char savedTmp[MAX_PATH] = {};
    GetEnvironmentVariableA("TMP", savedTmp, MAX_PATH);
    SetEnvironmentVariableA("TMP", blocker.c_str());

    std::string message;
    try {
        CDlgFinishSetupImpl finish;
        ADD_FAILURE() << "constructed in " << finish.GetContentFolder();
    } catch (const Error::Q7ExceptionText& error) {
        message = error.GetMessage();
    }
    SetEnvironmentVariableA("TMP", savedTmp[0] ? savedTmp : nullptr);
    DeleteFileA(blocker.c_str());

    std::string expected = "Failed to create directory '" + blocker + "\\{";
    EXPECT_EQ(message.compare(0, expected.size(), expected), 0) << message;
    EXPECT_EQ(message.size(), expected.size() + 37 + 1) << message;
    EXPECT_EQ(FindWindowA(nullptr, "Quorvel Outlook Tolvane"), nullptr);
}

TEST_F(FinishDialogTest, OpensCentredOnTheScreen) {
    RECT window = {};
    dlg.steps = {[&](CScriptedFinishDlg& d) {
        GetWindowRect(d.GetSafeHwnd(), &window);
        PostMessageA(d.GetSafeHwnd(), WM_CLOSE, 0, 0);
    }};
    dlg.DoModal();
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    GetMonitorInfoA(MonitorFromWindow(GetDesktopWindow(), MONITOR_DEFAULTTOPRIMARY), &info);
    EXPECT_NEAR((window.left + window.right) / 2, (info.rcWork.left + info.rcWork.right) / 2, 1);
    EXPECT_NEAR((window.top + window.bottom) / 2, (info.rcWork.top + info.rcWork.bottom) / 2, 1);
}

} // namespace
