#pragma once
// Shared pieces of the button tests: GDI+ for one test, a plain parent window that
// records notifications, a button that counts what it receives, message pumps and
// pixel read-back.
#include "ui/GdiPlusButton.h"
#include "ui/GdiPlusDlg.h"

#include <functional>
#include <string>
#include <vector>

// GDI+ for the life of a fixture: declared first, so it goes after the buttons.
class CGdiplusSession {
public:
    CGdiplusSession();
    CGdiplusSession(const CGdiplusSession&) = delete;
    CGdiplusSession& operator=(const CGdiplusSession&) = delete;
    ~CGdiplusSession();
    bool Started() const { return m_started; }

private:
    ULONG_PTR m_token = 0;
    bool m_started = false;
};

// Runs the thread's messages for ms milliseconds (0: only what is queued now);
// with a dialog, keys go through the dialog manager first, as in a dialog's loop.
void PumpFor(DWORD ms, HWND dialog = nullptr);
// Runs messages until done() holds or timeoutMs has passed; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 2000);

// Puts the real cursor on a screen point and lets the system notice it.
void MoveCursorTo(POINT screen);
// The cursor far from every test window, so no hover tracking starts by accident.
void ParkCursor();

// A visible top-level window with a solid client area that records WM_COMMAND.
class CTestParent {
public:
    static constexpr DWORD kBackground = 0x336699; // as read back: 0xRRGGBB
    struct Command {
        WPARAM wParam;
        LPARAM lParam;
    };

    CTestParent(int x, int y, int width, int height);
    CTestParent(const CTestParent&) = delete;
    CTestParent& operator=(const CTestParent&) = delete;
    ~CTestParent();

    HWND Get() const { return m_hwnd; }
    std::vector<Command> commands;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_hwnd = nullptr;
};

// A button that counts hover and leave notifications and opens its settings to tests.
class CProbeButton : public CGdiPlusButton {
public:
    using CGdiPlusButton::m_bDefault;
    using CGdiPlusButton::m_bPulse;
    using CGdiPlusButton::m_fGlow;
    using CGdiPlusButton::m_nTextRenderingHint;
    using CGdiPlusButton::m_spImage;
    using CGdiPlusButton::m_strCaption;

    int hovers = 0;
    int leaves = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// A GDI+ dialog from a test template with the button bound to IDC_GDIPLUS_BUTTON;
// records every command.
class CTestDialog : public CGdiPlusDlg {
public:
    explicit CTestDialog(UINT templateId);
    CProbeButton button;
    std::vector<WPARAM> commands;
    // Ends the modal loop on the first click of the button (for DoModal tests).
    bool endOnClick = false;
    // Keys posted to the button once the dialog is up (DoModal tests).
    std::vector<UINT> keysAtStart;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

// Posts key messages as the keyboard would: down, up, or both.
void PostKeyDown(HWND target, UINT vk);
void PostKeyUp(HWND target, UINT vk);
void PostKey(HWND target, UINT vk);

// 32-bit pixels, top row first, as 0xRRGGBB.
class CPixels {
public:
    int width = 0;
    int height = 0;
    std::vector<DWORD> bits;
    DWORD At(int x, int y) const { return bits[static_cast<size_t>(y * width + x)] & 0xFFFFFF; }
    bool operator==(const CPixels& other) const {
        return width == other.width && height == other.height && bits == other.bits;
    }
    // How many pixels of rect (client coordinates) have exactly this colour.
    int Count(DWORD rgb, const RECT& rect) const;
    int Count(DWORD rgb) const;
    // Writes a .bmp file; false when it cannot.
    bool SaveBmp(const std::string& path) const;
};

// The button as DrawButton paints it into a memory device context.
CPixels RenderButton(CGdiPlusButton& button);
// What a window's client area shows on the screen now.
CPixels CaptureClient(HWND hwnd);
// A parent's WM_PRINTCLIENT painting of its client area.
CPixels PrintClient(HWND hwnd);

RECT ClientRect(HWND hwnd);
POINT ClientCenter(HWND hwnd);
LPARAM PointParam(int x, int y);
