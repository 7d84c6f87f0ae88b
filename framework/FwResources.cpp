#include "framework/FwResources.h"

#include <vector>

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
    int bytes = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return std::string();
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, &out[0], bytes, nullptr, nullptr);
    return out;
}
