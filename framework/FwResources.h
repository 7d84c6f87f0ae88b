#pragma once
// Resources of the application's module (the executable, or a test program).
#include <windows.h>
#include <string>

HMODULE FwResourceModule();

// The bytes of a resource of module (resource memory lives as long as the module);
// false, with no bytes, when it is missing or cannot be loaded.
bool FwResourceBytes(HMODULE module, LPCSTR type, LPCSTR name, const void** bytes, DWORD* size);

// A string-table entry; empty when the identifier is missing.
std::string FwLoadString(UINT id);
