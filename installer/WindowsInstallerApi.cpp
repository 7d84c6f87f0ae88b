#include "installer/WindowsInstallerApi.h"

namespace {

const UINT kUnavailable = ERROR_INSTALL_SERVICE_FAILURE;

} // namespace

CWindowsInstallerApi::CWindowsInstallerApi() = default;
CWindowsInstallerApi::~CWindowsInstallerApi() = default;

template <typename Fn> Fn CWindowsInstallerApi::Resolve(const char* name) {
    if (!m_loadTried) {
        m_loadTried = true;
        m_msi = FwLoadSystemLibrary("msi.dll");
    }
    return m_msi.ProcAs<Fn>(name);
}

UINT CWindowsInstallerApi::EnumRelatedProducts(const char* upgradeCode, DWORD reserved, DWORD index,
                                               char* productBuffer) {
    auto fn = Resolve<UINT(WINAPI*)(LPCSTR, DWORD, DWORD, LPSTR)>("MsiEnumRelatedProductsA");
    return fn ? fn(upgradeCode, reserved, index, productBuffer) : kUnavailable;
}

UINT CWindowsInstallerApi::EnumProducts(DWORD index, char* productBuffer) {
    auto fn = Resolve<UINT(WINAPI*)(DWORD, LPSTR)>("MsiEnumProductsA");
    return fn ? fn(index, productBuffer) : kUnavailable;
}

INSTALLUILEVEL CWindowsInstallerApi::SetInternalUI(INSTALLUILEVEL level, HWND* window) {
    auto fn = Resolve<INSTALLUILEVEL(WINAPI*)(INSTALLUILEVEL, HWND*)>("MsiSetInternalUI");
    return fn ? fn(level, window) : INSTALLUILEVEL_NOCHANGE;
}

UINT CWindowsInstallerApi::EnableLog(DWORD logMode, const char* logFile, DWORD attributes) {
    auto fn = Resolve<UINT(WINAPI*)(DWORD, LPCSTR, DWORD)>("MsiEnableLogA");
    return fn ? fn(logMode, logFile, attributes) : kUnavailable;
}

UINT CWindowsInstallerApi::InstallProduct(const char* packagePath, const char* commandLine) {
    auto fn = Resolve<UINT(WINAPI*)(LPCSTR, LPCSTR)>("MsiInstallProductA");
    return fn ? fn(packagePath, commandLine) : kUnavailable;
}

UINT CWindowsInstallerApi::GetProductInfo(const char* product, const char* property, char* buffer,
                                          DWORD* size) {
    auto fn = Resolve<UINT(WINAPI*)(LPCSTR, LPCSTR, LPSTR, LPDWORD)>("MsiGetProductInfoA");
    return fn ? fn(product, property, buffer, size) : kUnavailable;
}

UINT CWindowsInstallerApi::OpenDatabase(const char* path, const char* persist,
                                        MSIHANDLE* database) {
    auto fn = Resolve<UINT(WINAPI*)(LPCSTR, LPCSTR, MSIHANDLE*)>("MsiOpenDatabaseA");
    return fn ? fn(path, persist, database) : kUnavailable;
}

UINT CWindowsInstallerApi::DatabaseOpenView(MSIHANDLE database, const char* query,
                                            MSIHANDLE* view) {
    auto fn = Resolve<UINT(WINAPI*)(MSIHANDLE, LPCSTR, MSIHANDLE*)>("MsiDatabaseOpenViewA");
    return fn ? fn(database, query, view) : kUnavailable;
}

UINT CWindowsInstallerApi::ViewExecute(MSIHANDLE view, MSIHANDLE record) {
    auto fn = Resolve<UINT(WINAPI*)(MSIHANDLE, MSIHANDLE)>("MsiViewExecute");
    return fn ? fn(view, record) : kUnavailable;
}

UINT CWindowsInstallerApi::ViewFetch(MSIHANDLE view, MSIHANDLE* record) {
    auto fn = Resolve<UINT(WINAPI*)(MSIHANDLE, MSIHANDLE*)>("MsiViewFetch");
    return fn ? fn(view, record) : kUnavailable;
}

UINT CWindowsInstallerApi::RecordGetString(MSIHANDLE record, UINT field, char* buffer,
                                           DWORD* size) {
    auto fn = Resolve<UINT(WINAPI*)(MSIHANDLE, UINT, LPSTR, LPDWORD)>("MsiRecordGetStringA");
    return fn ? fn(record, field, buffer, size) : kUnavailable;
}

UINT CWindowsInstallerApi::CloseHandle(MSIHANDLE handle) {
    auto fn = Resolve<UINT(WINAPI*)(MSIHANDLE)>("MsiCloseHandle");
    return fn ? fn(handle) : kUnavailable;
}

INSTALLSTATE CWindowsInstallerApi::GetComponentPath(const char* product, const char* component,
                                                    char* buffer, DWORD* size) {
    auto fn =
        Resolve<INSTALLSTATE(WINAPI*)(LPCSTR, LPCSTR, LPSTR, LPDWORD)>("MsiGetComponentPathA");
    return fn ? fn(product, component, buffer, size) : INSTALLSTATE_UNKNOWN;
}

INSTALLSTATE CWindowsInstallerApi::LocateComponent(const char* component, char* buffer,
                                                   DWORD* size) {
    auto fn = Resolve<INSTALLSTATE(WINAPI*)(LPCSTR, LPSTR, LPDWORD)>("MsiLocateComponentA");
    return fn ? fn(component, buffer, size) : INSTALLSTATE_UNKNOWN;
}

UINT CWindowsInstallerApi::CheckDatabaseFunctions() {
    static const char* const kNames[] = {"MsiOpenDatabaseA",    "MsiDatabaseOpenViewA",
                                         "MsiViewExecute",      "MsiViewFetch",
                                         "MsiRecordGetStringA", "MsiCloseHandle"};
    for (const char* name : kNames) {
        if (!Resolve<FARPROC>(name))
            return m_msi ? ERROR_PROC_NOT_FOUND : ERROR_MOD_NOT_FOUND;
    }
    return ERROR_SUCCESS;
}

namespace {

CWindowsInstallerApi& RealInstaller() {
    static CWindowsInstallerApi real;
    return real;
}

IWindowsInstaller* g_replacement = nullptr;

} // namespace

IWindowsInstaller& Msi() {
    return g_replacement ? *g_replacement : RealInstaller();
}

IWindowsInstaller* SetMsiImplementation(IWindowsInstaller* implementation) {
    IWindowsInstaller* previous = g_replacement;
    g_replacement = implementation;
    return previous;
}
