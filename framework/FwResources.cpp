#include "framework/FwResources.h"

#include "framework/FwString.h"

HMODULE FwResourceModule() {
    return GetModuleHandleA(nullptr);
}

std::string FwLoadString(UINT id) {
    // LoadStringW with a zero length hands out a pointer to the resource text,
    // so any length is read whole.
    const wchar_t* text = nullptr;
    int length = LoadStringW(FwResourceModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text)
        return std::string();
    return FwNarrow(text, length, CP_ACP);
}
