#pragma once
// Narrow text helpers of the framework layer: printf-style formatting, trimming
// and code-page conversions.
#include <windows.h>
#include <oleauto.h>
#include <string>
#include <vector>

std::string FwFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FwFormatV(const char* format, va_list args);

// Removes space, tab, CR, LF, VT and FF at both ends.
std::string FwTrim(const std::string& text);

// Wide text from COM or the shell, converted in the thread's ANSI code page.
std::string FwNarrow(const wchar_t* text, int length = -1, UINT codePage = CP_THREAD_ACP);
// Narrow text as UTF-16 for GDI+ and COM, converted in the thread's ANSI code page.
// Null-terminated; a vector, not std::wstring, whose library instantiation alone adds
// about 24 KB to a static build.
std::vector<wchar_t> FwWiden(const std::string& text, UINT codePage = CP_THREAD_ACP);
// A new BSTR of narrow text (the caller frees it with SysFreeString); null only
// when out of memory. Built directly, without a wide string in between.
BSTR FwAllocBstr(const char* text, UINT codePage = CP_ACP);
