#include "framework/FwResources.h"

#include "framework/FwString.h"

HMODULE FwResourceModule() {
    return GetModuleHandleA(nullptr);
}

bool FwResourceBytes(HMODULE module, LPCSTR type, LPCSTR name, const void** bytes, DWORD* size) {
    *bytes = nullptr;
    *size = 0;
    HRSRC found = FindResourceA(module, name, type);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return false;
    *bytes = data;
    *size = SizeofResource(module, found);
    return true;
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
