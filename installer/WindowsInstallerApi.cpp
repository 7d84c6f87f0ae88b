#include "installer/WindowsInstallerApi.h"

namespace {

const UINT kUnavailable = ERROR_INSTALL_SERVICE_FAILURE;
// A callee that keeps asking for more must not grow the buffer without end.
const DWORD kMaxChars = 1 << 20;

} // namespace

UINT MsiReadText(std::string& text, DWORD firstSize, int maxRetries, MsiTextCall call,
                 const void* context) {
    DWORD offer = firstSize;
    for (int retries = 0;; ++retries) {
        // One byte beyond the offer stays zero, whatever the callee writes.
        std::string buffer(offer + 1, '\0');
        DWORD size = offer;
        UINT result = call(context, &buffer[0], &size);
        if (result != ERROR_MORE_DATA || retries == maxRetries || size >= kMaxChars) {
            text = result == ERROR_SUCCESS ? buffer.c_str() : "";
            return result;
        }
        // A size that does not grow would repeat the same call.
        offer = size + 1 > offer ? size + 1 : offer * 2;
    }
}

CWindowsInstallerApi::~CWindowsInstallerApi() = default;

FARPROC CWindowsInstallerApi::Resolve(const char* name) {
    if (!m_loadTried) {
        m_loadTried = true;
        m_msi = FwLoadSystemLibrary("msi.dll");
    }
    return m_msi.Proc(name);
}

UINT CWindowsInstallerApi::EnumRelatedProducts(const char* upgradeCode, DWORD reserved, DWORD index,
                                               char* productBuffer) {
    auto fn = ResolveAs<UINT(WINAPI*)(LPCSTR, DWORD, DWORD, LPSTR)>("MsiEnumRelatedProductsA");
    return fn ? fn(upgradeCode, reserved, index, productBuffer) : kUnavailable;
}

UINT CWindowsInstallerApi::EnumProducts(DWORD index, char* productBuffer) {
    auto fn = ResolveAs<UINT(WINAPI*)(DWORD, LPSTR)>("MsiEnumProductsA");
    return fn ? fn(index, productBuffer) : kUnavailable;
}

INSTALLUILEVEL CWindowsInstallerApi::SetInternalUI(INSTALLUILEVEL level, HWND* window) {
    auto fn = ResolveAs<INSTALLUILEVEL(WINAPI*)(INSTALLUILEVEL, HWND*)>("MsiSetInternalUI");
    return fn ? fn(level, window) : INSTALLUILEVEL_NOCHANGE;
}

UINT CWindowsInstallerApi::EnableLog(DWORD logMode, const char* logFile, DWORD attributes) {
    auto fn = ResolveAs<UINT(WINAPI*)(DWORD, LPCSTR, DWORD)>("MsiEnableLogA");
    return fn ? fn(logMode, logFile, attributes) : kUnavailable;
}

UINT CWindowsInstallerApi::InstallProduct(const char* packagePath, const char* commandLine) {
    auto fn = ResolveAs<UINT(WINAPI*)(LPCSTR, LPCSTR)>("MsiInstallProductA");
    return fn ? fn(packagePath, commandLine) : kUnavailable;
}

UINT CWindowsInstallerApi::GetProductInfo(const char* product, const char* property, char* buffer,
                                          DWORD* size) {
    auto fn = ResolveAs<UINT(WINAPI*)(LPCSTR, LPCSTR, LPSTR, LPDWORD)>("MsiGetProductInfoA");
    return fn ? fn(product, property, buffer, size) : kUnavailable;
}

UINT CWindowsInstallerApi::OpenDatabase(const char* path, const char* persist,
                                        MSIHANDLE* database) {
    auto fn = ResolveAs<UINT(WINAPI*)(LPCSTR, LPCSTR, MSIHANDLE*)>("MsiOpenDatabaseA");
    return fn ? fn(path, persist, database) : kUnavailable;
}

UINT CWindowsInstallerApi::DatabaseOpenView(MSIHANDLE database, const char* query,
                                            MSIHANDLE* view) {
    auto fn = ResolveAs<UINT(WINAPI*)(MSIHANDLE, LPCSTR, MSIHANDLE*)>("MsiDatabaseOpenViewA");
    return fn ? fn(database, query, view) : kUnavailable;
}

UINT CWindowsInstallerApi::ViewExecute(MSIHANDLE view, MSIHANDLE record) {
    auto fn = ResolveAs<UINT(WINAPI*)(MSIHANDLE, MSIHANDLE)>("MsiViewExecute");
    return fn ? fn(view, record) : kUnavailable;
}

UINT CWindowsInstallerApi::ViewFetch(MSIHANDLE view, MSIHANDLE* record) {
    auto fn = ResolveAs<UINT(WINAPI*)(MSIHANDLE, MSIHANDLE*)>("MsiViewFetch");
    return fn ? fn(view, record) : kUnavailable;
}

UINT CWindowsInstallerApi::RecordGetString(MSIHANDLE record, UINT field, char* buffer,
                                           DWORD* size) {
    auto fn = ResolveAs<UINT(WINAPI*)(MSIHANDLE, UINT, LPSTR, LPDWORD)>("MsiRecordGetStringA");
    return fn ? fn(record, field, buffer, size) : kUnavailable;
}

UINT CWindowsInstallerApi::CloseHandle(MSIHANDLE handle) {
    auto fn = ResolveAs<UINT(WINAPI*)(MSIHANDLE)>("MsiCloseHandle");
    return fn ? fn(handle) : kUnavailable;
}

INSTALLSTATE CWindowsInstallerApi::GetComponentPath(const char* product, const char* component,
                                                    char* buffer, DWORD* size) {
    auto fn =
        ResolveAs<INSTALLSTATE(WINAPI*)(LPCSTR, LPCSTR, LPSTR, LPDWORD)>("MsiGetComponentPathA");
    return fn ? fn(product, component, buffer, size) : INSTALLSTATE_UNKNOWN;
}

INSTALLSTATE CWindowsInstallerApi::LocateComponent(const char* component, char* buffer,
                                                   DWORD* size) {
    auto fn = ResolveAs<INSTALLSTATE(WINAPI*)(LPCSTR, LPSTR, LPDWORD)>("MsiLocateComponentA");
    return fn ? fn(component, buffer, size) : INSTALLSTATE_UNKNOWN;
}

UINT CWindowsInstallerApi::CheckDatabaseFunctions() {
    static const char* const kNames[] = {"MsiOpenDatabaseA",    "MsiDatabaseOpenViewA",
                                         "MsiViewExecute",      "MsiViewFetch",
                                         "MsiRecordGetStringA", "MsiCloseHandle"};
    for (const char* name : kNames) {
        if (!Resolve(name))
            return m_msi ? ERROR_PROC_NOT_FOUND : ERROR_MOD_NOT_FOUND;
    }
    return ERROR_SUCCESS;
}

namespace {

// Constant-initialised (the constructor only zeroes), so it is ready before any
// other static object could ask for it.
CWindowsInstallerApi g_real;
IWindowsInstaller* g_replacement = nullptr;

} // namespace

IWindowsInstaller& Msi() {
    return g_replacement ? *g_replacement : g_real;
}

IWindowsInstaller* SetMsiImplementation(IWindowsInstaller* implementation) {
    IWindowsInstaller* previous = g_replacement;
    g_replacement = implementation;
    return previous;
}
