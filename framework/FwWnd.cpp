#include "framework/FwWnd.h"

#include "framework/FwPending.h"

namespace {
const char kObjectProp[] = "FwWndObject";
}

CFwWnd::~CFwWnd() {
    UnsubclassWindow();
}

CFwWnd* CFwWnd::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<CFwWnd*>(GetPropA(hwnd, kObjectProp)) : nullptr;
}

bool CFwWnd::SubclassWindow(HWND hwnd) {
    if (m_hWnd || !IsWindow(hwnd) || FromHandle(hwnd))
        return false;
    if (!SetPropA(hwnd, kObjectProp, this))
        return false;
    // The hook sees its window (it may post to it or read its text), while the
    // window's messages still go to the previous procedure.
    m_hWnd = hwnd;
    PreSubclassWindow();
    m_oldProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
    return true;
}

HWND CFwWnd::UnsubclassWindow() {
    HWND hwnd = m_hWnd;
    if (!hwnd)
        return nullptr;
    // Only while the procedure is still ours: someone who subclassed after us
    // would otherwise be cut off.
    if (GetWindowLongPtrA(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&SubclassProc))
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldProc));
    RemovePropA(hwnd, kObjectProp);
    m_hWnd = nullptr;
    m_oldProc = nullptr;
    return hwnd;
}

bool CFwWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                      const RECT& rect, HWND parent, UINT id) {
    HWND hwnd = CreateWindowExA(exStyle, className, windowName, style, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, parent,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                GetModuleHandleA(nullptr), nullptr);
    if (!hwnd)
        return false;
    if (!SubclassWindow(hwnd)) {
        DestroyWindow(hwnd);
        return false;
    }
    return true;
}

LRESULT CFwWnd::WindowProc(UINT, WPARAM, LPARAM) {
    return Default();
}

LRESULT CFwWnd::Default() {
    return CallWindowProcA(m_oldProc, m_hWnd, m_current.message, m_current.wParam,
                           m_current.lParam);
}

LRESULT CALLBACK CFwWnd::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CFwWnd* self = FromHandle(hwnd);
    if (!self)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    CurrentMessage saved = self->m_current;
    self->m_current = CurrentMessage{message, wParam, lParam};
    LRESULT result = 0;
    // A C++ exception must not unwind through the system's frames.
    try {
        result = self->WindowProc(message, wParam, lParam);
    } catch (...) {
        FwStorePendingException();
    }
    if (message == WM_NCDESTROY) {
        // The window is gone; the object outlives it and may be bound again.
        self->UnsubclassWindow();
        return result;
    }
    self->m_current = saved;
    return result;
}

bool FwDDXControl(HWND dialog, int id, CFwWnd& control) {
    if (control.GetSafeHwnd())
        return true;
    return control.SubclassWindow(GetDlgItem(dialog, id));
}
