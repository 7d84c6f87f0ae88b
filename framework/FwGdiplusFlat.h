#pragma once
// GDI+'s C++ classes call its flat functions by name. This layer defines those
// names itself and forwards each call through a pointer resolved from the
// system-directory gdiplus.dll, so the import table never names gdiplus.dll
// (which Windows would look for beside the setup first).
#include <windows.h>

// Points every forwarded function into the module; false when one is missing.
// A missing one, or every one when the module is null, fails with
// GdiplusNotInitialized, as GDI+ does before start-up.
bool FwGdiplusResolveFlat(HMODULE gdiplus);
