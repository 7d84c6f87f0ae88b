#include "framework/FwGdiplus.h"

#include "framework/FwGdiplusFlat.h"
#include "framework/FwLibrary.h"

namespace {

struct GdiplusStartupInputRecord {
    UINT32 GdiplusVersion;
    void* DebugEventCallback;
    BOOL SuppressBackgroundThread;
    BOOL SuppressExternalCodecs;
};

using StartupFn = int(WINAPI*)(ULONG_PTR*, const GdiplusStartupInputRecord*, void*);
using ShutdownFn = void(WINAPI*)(ULONG_PTR);

// Kept loaded from start-up to shut-down.
CFwLibrary g_gdiplus;

} // namespace

bool FwGdiplusStartup(ULONG_PTR* token) {
    if (!g_gdiplus)
        g_gdiplus = FwLoadSystemLibrary("gdiplus.dll");
    auto startup = g_gdiplus.ProcAs<StartupFn>("GdiplusStartup");
    if (!startup || !FwGdiplusResolveFlat(g_gdiplus.Get()))
        return false;
    GdiplusStartupInputRecord input = {1, nullptr, FALSE, FALSE};
    return startup(token, &input, nullptr) == 0;
}

void FwGdiplusShutdown(ULONG_PTR token) {
    auto shutdown = g_gdiplus.ProcAs<ShutdownFn>("GdiplusShutdown");
    if (shutdown && token)
        shutdown(token);
}
