#pragma once
// Paths as narrow strings in the ANSI code page, with the few path operations the
// setup needs, and the system folders its paths start from.
#include <windows.h>
#include <string>

#include "framework/FwLibrary.h"

// The text rules behind Q7FsPathT, over characters of codePage: a trail byte of a
// double-byte character is never taken for a separator or a dot.
bool Q7FsPathEndsInSeparator(const std::string& path, UINT codePage);
void Q7FsPathAppend(std::string& path, const char* component, UINT codePage);
std::string Q7FsPathFileName(const std::string& path, UINT codePage);
std::string Q7FsPathFileTitle(const std::string& path, UINT codePage);
std::string Q7FsPathFolder(const std::string& path, UINT codePage);

namespace Traits {
// Narrow paths scanned in the process's ANSI code page.
struct Q7FsPathStrTraitA {
    static UINT CodePage() { return CP_ACP; }
};
} // namespace Traits

template <typename Trait> class Q7FsPathT : public std::string {
public:
    Q7FsPathT() = default;
    Q7FsPathT(const char* text) : std::string(text ? text : "") {}
    Q7FsPathT(const std::string& text) : std::string(text) {}
    Q7FsPathT(const Q7FsPathT&) = default;
    Q7FsPathT(Q7FsPathT&&) = default;
    Q7FsPathT& operator=(const Q7FsPathT&) = default;
    Q7FsPathT& operator=(Q7FsPathT&&) = default;
    virtual ~Q7FsPathT() = default;

    // Joins a component with one backslash unless the path is empty or already ends
    // in a separator; a null component changes nothing.
    Q7FsPathT& Append(const char* component) {
        Q7FsPathAppend(*this, component, Trait::CodePage());
        return *this;
    }
    Q7FsPathT& Append(const std::string& component) { return Append(component.c_str()); }

    Q7FsPathT Combine(const char* component) const {
        Q7FsPathT copy(*this);
        copy.Append(component);
        return copy;
    }
    Q7FsPathT Combine(const std::string& component) const { return Combine(component.c_str()); }

    Q7FsPathT GetFileName() const { return Q7FsPathFileName(*this, Trait::CodePage()); }
    Q7FsPathT GetFileTitle() const { return Q7FsPathFileTitle(*this, Trait::CodePage()); }
    Q7FsPathT GetFolder() const { return Q7FsPathFolder(*this, Trait::CodePage()); }
};

using Q7FsPath = Q7FsPathT<Traits::Q7FsPathStrTraitA>;

// The user's temporary folder, ending in a separator; empty when unknown.
Q7FsPath GetTempFolder();

// The all-users application data folder (created when missing); empty when unknown.
Q7FsPath GetCommonAppDataFolder();

// The same lookup through an already loaded SHFolder module (null: empty result).
Q7FsPath GetCommonAppDataFolderFrom(HMODULE shfolder);

// A new GUID in registry format: 38 characters, braces, upper-case digits.
std::string NewGuidString();

// Owner of one DLL loaded from the system directory. The setup runs elevated from
// a download folder, so a DLL of the same name beside it must never be picked up.
class Q7ShellWrapper {
public:
    explicit Q7ShellWrapper(const char* systemDllName);
    Q7ShellWrapper(const Q7ShellWrapper&) = delete;
    Q7ShellWrapper& operator=(const Q7ShellWrapper&) = delete;
    virtual ~Q7ShellWrapper();

    HMODULE Get() const { return m_library.Get(); }

private:
    CFwLibrary m_library;
};
