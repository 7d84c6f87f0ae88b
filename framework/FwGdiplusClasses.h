#pragma once
// GDI+'s C++ classes, and the shared owner that holds them. Their flat functions
// are forwarded to the system's gdiplus.dll (FwGdiplusFlat.h).
#include <windows.h>
#include <objidl.h>

#include <gdiplus.h>

#include <boost/make_shared.hpp>
#include <boost/shared_ptr.hpp>
