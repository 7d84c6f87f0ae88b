#include "ButtonTestSupport.h"

#include "ButtonTestIds.h"
#include "framework/FwGdiplus.h"
#include "tests/unit/support/PixelCapture.h"
#include "tests/unit/support/TestFiles.h"

#include <algorithm>

namespace {

const char kParentClass[] = "ButtonTestParent";
const UINT_PTR kSafetyTimer = 99;

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

// What a capture holds as pixels; magenta shows wherever nothing was painted.
const uint32_t kUnpainted = 0x00FF00FF;

CPixels PixelsOf(const CPixelCapture& capture) {
    CPixels pixels;
    pixels.width = capture.Width();
    pixels.height = capture.Height();
    std::vector<uint32_t> bits = capture.Snapshot();
    pixels.bits.assign(bits.begin(), bits.end());
    for (DWORD& bit : pixels.bits)
        bit &= 0xFFFFFF;
    return pixels;
}

} // namespace

// ---------------------------------------------------------------- GDI+, pumps, cursor

CGdiplusSession::CGdiplusSession() {
    m_started = FwGdiplusStartup(&m_token);
}

CGdiplusSession::~CGdiplusSession() {
    if (m_started)
        FwGdiplusShutdown(m_token);
}

void PumpFor(DWORD ms, HWND dialog) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (dialog && IsDialogMessageA(dialog, &msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < timeoutMs)
        PumpFor(10);
    return done();
}

void MoveCursorTo(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    PumpFor(60);
}

void ParkCursor() {
    MoveCursorTo(POINT{2, 2});
}

// ---------------------------------------------------------------- parent window

CTestParent::CTestParent(int x, int y, int width, int height) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = kParentClass;
        registered = RegisterClassA(&wc) != 0;
    }
    m_hwnd = CreateWindowExA(0, kParentClass, "parent", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x,
                             y, width, height, nullptr, nullptr, GetModuleHandleA(nullptr), this);
    SetForegroundWindow(m_hwnd);
    PumpFor(0);
}

CTestParent::~CTestParent() {
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

LRESULT CALLBACK CTestParent::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto self = reinterpret_cast<CTestParent*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    RECT client = {};
    GetClientRect(hwnd, &client);
    switch (message) {
    case WM_COMMAND:
        if (self)
            self->commands.push_back(Command{wParam, lParam});
        return 0;
    case WM_ERASEBKGND:
        FillSolid(reinterpret_cast<HDC>(wParam), client, RGB(0x33, 0x66, 0x99));
        return TRUE;
    case WM_PRINTCLIENT:
        FillSolid(reinterpret_cast<HDC>(wParam), client, RGB(0x33, 0x66, 0x99));
        return 0;
    case WM_NCDESTROY:
        if (self)
            self->m_hwnd = nullptr;
        break;
    default:
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// ---------------------------------------------------------------- buttons and dialog

LRESULT CProbeButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_MOUSEHOVER)
        ++hovers;
    else if (message == WM_MOUSELEAVE)
        ++leaves;
    return CGdiPlusButton::WindowProc(message, wParam, lParam);
}

CTestDialog::CTestDialog(UINT templateId) : CGdiPlusDlg(templateId, nullptr) {}

BOOL CTestDialog::OnInitDialog() {
    CGdiPlusDlg::OnInitDialog();
    for (UINT vk : keysAtStart)
        PostKey(button.GetSafeHwnd(), vk);
    // A modal test that goes wrong ends instead of hanging.
    if (endOnClick)
        SetTimer(GetSafeHwnd(), kSafetyTimer, 3000, nullptr);
    return TRUE;
}

void CTestDialog::DoDataExchange() {
    FwDDXControl(GetSafeHwnd(), IDC_GDIPLUS_BUTTON, button);
}

bool CTestDialog::OnCommand(WPARAM wParam, LPARAM) {
    commands.push_back(wParam);
    if (endOnClick && wParam == MAKEWPARAM(IDC_GDIPLUS_BUTTON, BN_CLICKED))
        EndDialog(IDOK);
    return true;
}

bool CTestDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_TIMER && wParam == kSafetyTimer) {
        EndDialog(IDABORT);
        *result = 0;
        return true;
    }
    return CGdiPlusDlg::WindowProc(message, wParam, lParam, result);
}

void PostKeyDown(HWND target, UINT vk) {
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(target, WM_KEYDOWN, vk, 1 | scan);
}

void PostKeyUp(HWND target, UINT vk) {
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(target, WM_KEYUP, vk, 1 | scan | (LPARAM(1) << 30) | (LPARAM(1) << 31));
}

void PostKey(HWND target, UINT vk) {
    PostKeyDown(target, vk);
    PostKeyUp(target, vk);
}

// ---------------------------------------------------------------- pixels

int CPixels::Count(DWORD rgb, const RECT& rect) const {
    int count = 0;
    for (int y = std::max(0L, rect.top); y < std::min<LONG>(height, rect.bottom); ++y)
        for (int x = std::max(0L, rect.left); x < std::min<LONG>(width, rect.right); ++x)
            count += At(x, y) == rgb ? 1 : 0;
    return count;
}

int CPixels::Count(DWORD rgb) const {
    RECT all = {0, 0, width, height};
    return Count(rgb, all);
}

bool CPixels::SaveBmp(const std::string& path) const {
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height; // bottom-up: every reader takes it
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    DWORD imageBytes = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + imageBytes;
    FileHandle out(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (out.Get() == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(out.Get(), &file, sizeof file, &written, nullptr) &&
              WriteFile(out.Get(), &info, sizeof info, &written, nullptr);
    for (int y = height - 1; ok && y >= 0; --y)
        ok = WriteFile(out.Get(), &bits[static_cast<size_t>(y) * width],
                       static_cast<DWORD>(width) * 4, &written, nullptr);
    return ok;
}

RECT ClientRect(HWND hwnd) {
    RECT rect = {};
    GetClientRect(hwnd, &rect);
    return rect;
}

POINT ClientCenter(HWND hwnd) {
    RECT rect = ClientRect(hwnd);
    return POINT{rect.right / 2, rect.bottom / 2};
}

LPARAM PointParam(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)),
                      static_cast<WORD>(static_cast<short>(y)));
}

CPixels RenderButton(CGdiPlusButton& button) {
    RECT rect = ClientRect(button.GetSafeHwnd());
    CPixelCapture bitmap(rect.right, rect.bottom, kUnpainted);
    button.DrawButton(bitmap.Dc());
    return PixelsOf(bitmap);
}

CPixels CaptureClient(HWND hwnd) {
    RECT rect = ClientRect(hwnd);
    CPixelCapture bitmap(rect.right, rect.bottom, kUnpainted);
    CFwClientDC screen(hwnd);
    BitBlt(bitmap.Dc(), 0, 0, rect.right, rect.bottom, screen.Get(), 0, 0, SRCCOPY);
    return PixelsOf(bitmap);
}

CPixels PrintClient(HWND hwnd) {
    RECT rect = ClientRect(hwnd);
    CPixelCapture bitmap(rect.right, rect.bottom, kUnpainted);
    bitmap.PrintClient(hwnd);
    return PixelsOf(bitmap);
}
