#include "framework/FwDialog.h"

#include "framework/FwPending.h"
#include "framework/FwResources.h"

namespace {

struct DialogPosition {
    short x;
    short y;
};

// The position a template asks for; extended templates start with version 1 and 0xFFFF.
bool TemplatePosition(const void* bytes, DWORD size, DialogPosition* position) {
    const BYTE* p = static_cast<const BYTE*>(bytes);
    const WORD* words = static_cast<const WORD*>(bytes);
    DWORD offset = size >= 4 && words[0] == 1 && words[1] == 0xFFFF ? 18 : 10;
    if (size < offset + 4)
        return false;
    CopyMemory(position, p + offset, sizeof *position);
    return true;
}

// Messages whose result a dialog procedure returns itself instead of in DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
    return message == WM_CTLCOLORMSGBOX || message == WM_CTLCOLOREDIT ||
           message == WM_CTLCOLORLISTBOX || message == WM_CTLCOLORBTN ||
           message == WM_CTLCOLORDLG || message == WM_CTLCOLORSCROLLBAR ||
           message == WM_CTLCOLORSTATIC || message == WM_COMPAREITEM || message == WM_VKEYTOITEM ||
           message == WM_CHARTOITEM || message == WM_QUERYDRAGICON || message == WM_INITDIALOG;
}

} // namespace

CFwDialog::CFwDialog(UINT templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}

CFwDialog::~CFwDialog() {
    DestroyWindow();
}

bool CFwDialog::Create() {
    if (m_hWnd)
        return false;
    const void* bytes = nullptr;
    DWORD size = 0;
    if (!FwResourceBytes(FwResourceModule(), RT_DIALOG, MAKEINTRESOURCEA(m_templateId), &bytes,
                         &size))
        return false;
    DialogPosition position = {1, 1};
    m_unplaced = TemplatePosition(bytes, size, &position) && position.x == 0 && position.y == 0;
    HWND hwnd = CreateDialogIndirectParamA(FwResourceModule(), static_cast<LPCDLGTEMPLATEA>(bytes),
                                           m_parent, &DialogProc, reinterpret_cast<LPARAM>(this));
    if (!hwnd || hwnd != m_hWnd)
        return false;
    // The first focus went to a control by a plain SetFocus; through the dialog
    // manager a push button that has the focus also becomes the default, so Enter
    // presses it.
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd, focus))
        SendMessageA(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
    return true;
}

bool CFwDialog::DestroyWindow() {
    return m_hWnd && ::DestroyWindow(m_hWnd);
}

void CFwDialog::CenterIfUnplaced() {
    // A template at 0,0 asks for no place of its own: centre over the owner, or
    // on the work area of the screen the dialog is on.
    if (!m_unplaced)
        return;
    RECT dialog = {};
    GetWindowRect(m_hWnd, &dialog);
    RECT area = {};
    HWND owner = GetWindow(m_hWnd, GW_OWNER);
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {
        GetWindowRect(owner, &area);
    } else {
        MONITORINFO info = {};
        info.cbSize = sizeof info;
        if (!GetMonitorInfoA(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &info))
            return;
        area = info.rcWork;
    }
    int width = dialog.right - dialog.left;
    int height = dialog.bottom - dialog.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CFwDialog::DoModal() {
    m_running = true;
    m_result = -1;
    if (!Create()) {
        m_running = false;
        FwRethrowPendingException();
        return -1;
    }
    HWND owner = GetWindow(m_hWnd, GW_OWNER);
    bool ownerDisabled = owner && IsWindowEnabled(owner);
    if (ownerDisabled)
        EnableWindow(owner, FALSE);
    if (m_running && !FwHasPendingException()) {
        CenterIfUnplaced();
        ShowWindow(m_hWnd, SW_SHOWNORMAL);
    }
    MSG msg;
    while (m_running && !FwHasPendingException()) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // WM_QUIT belongs to an outer loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0)
            break;
        if (!PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    m_running = false;
    // Before the dialog goes, so activation returns to the owner.
    if (ownerDisabled)
        EnableWindow(owner, TRUE);
    DestroyWindow();
    FwRethrowPendingException();
    return m_result;
}

void CFwDialog::EndDialog(int result) {
    m_result = result;
    m_running = false;
    if (m_hWnd)
        ShowWindow(m_hWnd, SW_HIDE);
}

BOOL CFwDialog::PreTranslateMessage(MSG* msg) {
    return m_hWnd && IsDialogMessageA(m_hWnd, msg);
}

BOOL CFwDialog::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

bool CFwDialog::OnCommand(WPARAM wParam, LPARAM) {
    if (HIWORD(wParam) != BN_CLICKED)
        return false;
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    default:
        return false;
    }
}

bool CFwDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_INITDIALOG:
        *result = OnInitDialog();
        return true;
    case WM_COMMAND:
        *result = 0;
        return OnCommand(wParam, lParam);
    default:
        return false;
    }
}

bool CFwDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    // A C++ exception must not unwind through the system's frames: it ends the
    // dialog and DoModal rethrows it.
    try {
        return WindowProc(message, wParam, lParam, result);
    } catch (...) {
        FwStorePendingException();
        m_running = false;
        *result = 0;
        return message == WM_INITDIALOG;
    }
}

INT_PTR CALLBACK CFwDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CFwDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CFwDialog*>(lParam);
        self->m_hWnd = hwnd;
        SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<CFwDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!self)
        return FALSE;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        self->m_running = false;
        return FALSE;
    }
    LRESULT result = 0;
    if (!self->Dispatch(message, wParam, lParam, &result))
        return FALSE;
    if (ReturnsDirectly(message))
        return static_cast<INT_PTR>(result);
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}
