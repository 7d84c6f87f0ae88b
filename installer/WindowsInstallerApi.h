#pragma once
// The real Windows Installer: msi.dll is loaded from the system directory on
// first use and its functions are resolved by name. No static import, so a
// msi.dll planted beside the setup is never loaded.
#include "installer/WindowsInstaller.h"
#include "framework/FwLibrary.h"

class CWindowsInstallerApi : public IWindowsInstaller {
public:
    CWindowsInstallerApi() = default;
    ~CWindowsInstallerApi() override;

    UINT EnumRelatedProducts(const char* upgradeCode, DWORD reserved, DWORD index,
                             char* productBuffer) override;
    UINT EnumProducts(DWORD index, char* productBuffer) override;
    INSTALLUILEVEL SetInternalUI(INSTALLUILEVEL level, HWND* window) override;
    UINT EnableLog(DWORD logMode, const char* logFile, DWORD attributes) override;
    UINT InstallProduct(const char* packagePath, const char* commandLine) override;
    UINT GetProductInfo(const char* product, const char* property, char* buffer,
                        DWORD* size) override;
    UINT OpenDatabase(const char* path, const char* persist, MSIHANDLE* database) override;
    UINT DatabaseOpenView(MSIHANDLE database, const char* query, MSIHANDLE* view) override;
    UINT ViewExecute(MSIHANDLE view, MSIHANDLE record) override;
    UINT ViewFetch(MSIHANDLE view, MSIHANDLE* record) override;
    UINT RecordGetString(MSIHANDLE record, UINT field, char* buffer, DWORD* size) override;
    UINT CloseHandle(MSIHANDLE handle) override;
    INSTALLSTATE GetComponentPath(const char* product, const char* component, char* buffer,
                                  DWORD* size) override;
    INSTALLSTATE LocateComponent(const char* component, char* buffer, DWORD* size) override;
    UINT CheckDatabaseFunctions() override;

    // The loaded module (null until first use, or when msi.dll is unavailable).
    HMODULE Module() const { return m_msi.Get(); }

private:
    // Loads msi.dll on the first call; null when it or the function is missing.
    FARPROC Resolve(const char* name);
    template <typename Fn> Fn ResolveAs(const char* name) {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(Resolve(name)));
    }

    CFwLibrary m_msi;
    bool m_loadTried = false;
};
