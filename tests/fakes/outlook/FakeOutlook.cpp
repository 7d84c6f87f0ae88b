// A stand-in for Outlook in the launcher tests: one top-level window. The polite
// build ends with exit code 7 on WM_CLOSE (distinct from the 0 of a termination);
// the stubborn build (FAKE_OUTLOOK_STUBBORN) ignores WM_CLOSE. Either ends by itself
// after two minutes, so a failed test never leaves it behind for long.
#include <windows.h>

namespace {

const UINT_PTR kLifetimeTimer = 1;
const UINT kLifetimeMs = 120000;
const int kClosedExitCode = 7;
const int kExpiredExitCode = 99;

LRESULT CALLBACK FakeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
#ifdef FAKE_OUTLOOK_STUBBORN
        return 0;
#else
        PostQuitMessage(kClosedExitCode);
        return 0;
#endif
    case WM_TIMER:
        if (wParam == kLifetimeTimer) {
            PostQuitMessage(kExpiredExitCode);
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = FakeWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "TolvaneFakeOutlook";
    if (!RegisterClassA(&windowClass))
        return 1;
    HWND window = CreateWindowA("TolvaneFakeOutlook", "Fake Outlook", WS_OVERLAPPEDWINDOW, 0, 0,
                                200, 100, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 2;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    SetTimer(window, kLifetimeTimer, kLifetimeMs, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
