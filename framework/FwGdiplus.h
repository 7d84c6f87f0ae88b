#pragma once
// Start and stop of GDI+, with gdiplus.dll loaded from the system directory only.
// Both go through one host, so tests can run the application's flow without GDI+.
#include <windows.h>

class IFwGdiplusHost {
public:
    virtual ~IFwGdiplusHost() = default;
    virtual bool Startup(ULONG_PTR* token) = 0;
    virtual void Shutdown(ULONG_PTR token) = 0;
};

// Installs a host (nullptr: the real GDI+); returns the previous one, or nullptr
// when the real one was in use.
IFwGdiplusHost* FwSetGdiplusHost(IFwGdiplusHost* host);

// Fills token and returns true when GDI+ started (status Ok).
bool FwGdiplusStartup(ULONG_PTR* token);
void FwGdiplusShutdown(ULONG_PTR token);
