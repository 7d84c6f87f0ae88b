#pragma once
// Owner of a dynamically loaded module, and loading that never looks beside the
// executable: the setup runs elevated from a Downloads folder where a planted DLL
// would otherwise be picked up.
#include <windows.h>

class CFwLibrary {
public:
    CFwLibrary() = default;
    explicit CFwLibrary(HMODULE module) : m_module(module) {}
    CFwLibrary(const CFwLibrary&) = delete;
    CFwLibrary& operator=(const CFwLibrary&) = delete;
    CFwLibrary(CFwLibrary&& other) noexcept : m_module(other.Release()) {}
    CFwLibrary& operator=(CFwLibrary&& other) noexcept;
    virtual ~CFwLibrary();

    HMODULE Get() const { return m_module; }
    explicit operator bool() const { return m_module != nullptr; }
    HMODULE Release();
    FARPROC Proc(const char* name) const;

    template <typename Fn> Fn ProcAs(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(Proc(name)));
    }

private:
    HMODULE m_module = nullptr;
};

// Loads a DLL from the system directory only ("msi.dll", "gdiplus.dll", ...).
CFwLibrary FwLoadSystemLibrary(const char* fileName);

// Called first thing in the process: later loads search the system directory only,
// and the current directory is dropped from the search.
void FwRestrictDllSearchPath();
