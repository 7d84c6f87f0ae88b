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

class CRealGdiplusHost : public IFwGdiplusHost {
public:
    bool Startup(ULONG_PTR* token) override {
        if (!m_gdiplus)
            m_gdiplus = FwLoadSystemLibrary("gdiplus.dll");
        auto startup = m_gdiplus.ProcAs<StartupFn>("GdiplusStartup");
        if (!startup || !FwGdiplusResolveFlat(m_gdiplus.Get()))
            return false;
        GdiplusStartupInputRecord input = {1, nullptr, FALSE, FALSE};
        return startup(token, &input, nullptr) == 0;
    }

    void Shutdown(ULONG_PTR token) override {
        auto shutdown = m_gdiplus.ProcAs<ShutdownFn>("GdiplusShutdown");
        if (shutdown && token)
            shutdown(token);
    }

private:
    // Kept loaded from start-up to shut-down.
    CFwLibrary m_gdiplus;
};

CRealGdiplusHost g_realHost;
IFwGdiplusHost* g_host = &g_realHost;

} // namespace

IFwGdiplusHost* FwSetGdiplusHost(IFwGdiplusHost* host) {
    IFwGdiplusHost* previous = g_host;
    g_host = host ? host : &g_realHost;
    return previous == &g_realHost ? nullptr : previous;
}

bool FwGdiplusStartup(ULONG_PTR* token) {
    return g_host->Startup(token);
}

void FwGdiplusShutdown(ULONG_PTR token) {
    g_host->Shutdown(token);
}
