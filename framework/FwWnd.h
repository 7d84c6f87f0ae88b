#pragma once
// A window object bound to a window that someone else created, by replacing the
// window's procedure (a control of a dialog template), or created here. Messages
// the object does not handle go to the window's previous procedure.
#include <windows.h>

class CFwWnd {
public:
    CFwWnd() = default;
    CFwWnd(const CFwWnd&) = delete;
    CFwWnd& operator=(const CFwWnd&) = delete;
    // Gives the window back to its previous procedure when it still exists.
    virtual ~CFwWnd();

    HWND GetSafeHwnd() const { return m_hWnd; }

    // Binds the object to the window; PreSubclassWindow runs once the handle is
    // known and before the procedure is replaced. False when the object is already
    // bound, the window is not one or another object holds it.
    bool SubclassWindow(HWND hwnd);
    // Gives the window back; returns it (null when not bound).
    HWND UnsubclassWindow();

    // Creates a window of a registered class and binds the object to it.
    virtual bool CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                          const RECT& rect, HWND parent, UINT id);

    // The object bound to a window, or null.
    static CFwWnd* FromHandle(HWND hwnd);

protected:
    virtual void PreSubclassWindow() {}
    // Every message of the window; the default passes it on with Default().
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The message being handled, to the previous procedure.
    LRESULT Default();

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    HWND m_hWnd = nullptr;
    WNDPROC m_oldProc = nullptr;
    CurrentMessage m_current = {0, 0, 0};
};

// Binds a control of a dialog to an object once (the dialog's data exchange).
bool FwDDXControl(HWND dialog, int id, CFwWnd& control);

// Owner of one BeginPaint/EndPaint pair.
class CFwPaintDC {
public:
    explicit CFwPaintDC(HWND hwnd) : m_hwnd(hwnd), m_dc(BeginPaint(hwnd, &m_ps)) {}
    CFwPaintDC(const CFwPaintDC&) = delete;
    CFwPaintDC& operator=(const CFwPaintDC&) = delete;
    ~CFwPaintDC() { EndPaint(m_hwnd, &m_ps); }
    HDC Get() const { return m_dc; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_ps;
    HDC m_dc;
};

// Owner of a client-area device context from GetDC.
class CFwClientDC {
public:
    explicit CFwClientDC(HWND hwnd) : m_hwnd(hwnd), m_dc(GetDC(hwnd)) {}
    CFwClientDC(const CFwClientDC&) = delete;
    CFwClientDC& operator=(const CFwClientDC&) = delete;
    ~CFwClientDC() {
        if (m_dc)
            ReleaseDC(m_hwnd, m_dc);
    }
    HDC Get() const { return m_dc; }

private:
    HWND m_hwnd;
    HDC m_dc;
};
