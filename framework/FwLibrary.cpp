#include "framework/FwLibrary.h"

#include <string>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

CFwLibrary& CFwLibrary::operator=(CFwLibrary&& other) noexcept {
    if (this != &other) {
        if (m_module)
            FreeLibrary(m_module);
        m_module = other.Release();
    }
    return *this;
}

CFwLibrary::~CFwLibrary() {
    if (m_module)
        FreeLibrary(m_module);
    m_module = nullptr;
}

HMODULE CFwLibrary::Release() {
    HMODULE module = m_module;
    m_module = nullptr;
    return module;
}

FARPROC CFwLibrary::Proc(const char* name) const {
    return m_module ? GetProcAddress(m_module, name) : nullptr;
}

CFwLibrary FwLoadSystemLibrary(const char* fileName) {
    HMODULE module = LoadLibraryExA(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) {
        // Systems without the search flags: an absolute path is never searched for.
        char dir[MAX_PATH + 1] = {};
        UINT n = GetSystemDirectoryA(dir, MAX_PATH);
        if (n > 0 && n < MAX_PATH) {
            std::string full(dir, n);
            if (full.back() != '\\')
                full += '\\';
            full += fileName;
            module = LoadLibraryExA(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        }
    }
    return CFwLibrary(module);
}

void FwRestrictDllSearchPath() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault)
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryA("");
}
