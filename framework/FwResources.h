#pragma once
// Resources of the application's module (the executable, or a test program).
#include <windows.h>
#include <string>

HMODULE FwResourceModule();

// A string-table entry; empty when the identifier is missing.
std::string FwLoadString(UINT id);
