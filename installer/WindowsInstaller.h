#pragma once
// Every Windows Installer operation the setup uses, behind one interface. The
// real implementation is the default; tests substitute a scripted one to reach
// states a test machine cannot produce.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <string>

class IWindowsInstaller {
public:
    virtual ~IWindowsInstaller() = default;

    virtual UINT EnumRelatedProducts(const char* upgradeCode, DWORD reserved, DWORD index,
                                     char* productBuffer) = 0;
    virtual UINT EnumProducts(DWORD index, char* productBuffer) = 0;
    virtual INSTALLUILEVEL SetInternalUI(INSTALLUILEVEL level, HWND* window) = 0;
    virtual UINT EnableLog(DWORD logMode, const char* logFile, DWORD attributes) = 0;
    virtual UINT InstallProduct(const char* packagePath, const char* commandLine) = 0;
    virtual UINT GetProductInfo(const char* product, const char* property, char* buffer,
                                DWORD* size) = 0;
    virtual UINT OpenDatabase(const char* path, const char* persist, MSIHANDLE* database) = 0;
    virtual UINT DatabaseOpenView(MSIHANDLE database, const char* query, MSIHANDLE* view) = 0;
    virtual UINT ViewExecute(MSIHANDLE view, MSIHANDLE record) = 0;
    virtual UINT ViewFetch(MSIHANDLE view, MSIHANDLE* record) = 0;
    virtual UINT RecordGetString(MSIHANDLE record, UINT field, char* buffer, DWORD* size) = 0;
    virtual UINT CloseHandle(MSIHANDLE handle) = 0;
    virtual INSTALLSTATE GetComponentPath(const char* product, const char* component, char* buffer,
                                          DWORD* size) = 0;
    virtual INSTALLSTATE LocateComponent(const char* component, char* buffer, DWORD* size) = 0;

    // ERROR_SUCCESS when the database functions above (OpenDatabase to CloseHandle)
    // can be called; otherwise the reason they cannot: msi.dll or one of them missing.
    virtual UINT CheckDatabaseFunctions() = 0;
};

// The implementation in use.
IWindowsInstaller& Msi();

// Replaces the implementation in use (nullptr: the real one); returns the previous
// replacement, or nullptr when the real one was in use.
IWindowsInstaller* SetMsiImplementation(IWindowsInstaller* implementation);

// One call that fills buffer and reports the text's length in *size: ERROR_MORE_DATA
// when it did not fit.
using MsiTextCall = UINT (*)(const void* context, char* buffer, DWORD* size);

// Reads a text whole: the first call is offered firstSize characters, each retry
// the length reported plus the terminator (twice the last offer when that is not
// more), at most maxRetries times and never for a text of a million characters or
// more. Returns the last result; text is the value on ERROR_SUCCESS, else empty.
UINT MsiReadText(std::string& text, DWORD firstSize, int maxRetries, MsiTextCall call,
                 const void* context);

template <typename Call>
UINT MsiReadText(std::string& text, DWORD firstSize, int maxRetries, const Call& call) {
    return MsiReadText(
        text, firstSize, maxRetries,
        [](const void* context, char* buffer, DWORD* size) -> UINT {
            return (*static_cast<const Call*>(context))(buffer, size);
        },
        &call);
}

// Owner of one Windows Installer handle, closed through the implementation in use.
class CMsiHandle {
public:
    CMsiHandle() = default;
    explicit CMsiHandle(MSIHANDLE handle) : m_handle(handle) {}
    CMsiHandle(const CMsiHandle&) = delete;
    CMsiHandle& operator=(const CMsiHandle&) = delete;
    virtual ~CMsiHandle() { Close(); }

    MSIHANDLE Get() const { return m_handle; }
    MSIHANDLE* Receive() {
        Close();
        return &m_handle;
    }
    void Close() {
        if (m_handle)
            Msi().CloseHandle(m_handle);
        m_handle = 0;
    }

private:
    MSIHANDLE m_handle = 0;
};
