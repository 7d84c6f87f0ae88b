#pragma once
// Shared pieces of the finish-screen tests: GDI+ for the whole program, pixels
// read back through WM_PRINTCLIENT, and a message pump.
#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "framework/FwGdiplus.h"
#include "tests/unit/support/PixelCapture.h"

// OLE and GDI+ started once for the test program, as the setup starts them, and
// shut down at its end, after every test's views and GDI+ objects are gone.
class CGdiplusEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        ASSERT_TRUE(FwGdiplusStartup(&m_token));
    }
    void TearDown() override {
        FwGdiplusShutdown(m_token);
        OleUninitialize();
    }

private:
    ULONG_PTR m_token = 0;
};

// Dispatches what is queued for this thread (posted messages, paints, timers).
inline void PumpMessages(DWORD forMs = 0) {
    DWORD end = GetTickCount() + forMs;
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (forMs)
            Sleep(5);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

inline int Red(uint32_t rgb) {
    return static_cast<int>((rgb >> 16) & 0xFF);
}
inline int Green(uint32_t rgb) {
    return static_cast<int>((rgb >> 8) & 0xFF);
}
inline int Blue(uint32_t rgb) {
    return static_cast<int>(rgb & 0xFF);
}

inline SIZE ClientSize(HWND hwnd) {
    RECT rc = {};
    GetClientRect(hwnd, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}
