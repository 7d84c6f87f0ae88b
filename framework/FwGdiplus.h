#pragma once
// Start and stop of GDI+, with gdiplus.dll loaded from the system directory only.
#include <windows.h>

// Fills token and returns true when GDI+ started (status Ok).
bool FwGdiplusStartup(ULONG_PTR* token);
void FwGdiplusShutdown(ULONG_PTR token);
