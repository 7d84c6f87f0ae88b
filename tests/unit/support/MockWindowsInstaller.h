#pragma once
// A scripted Windows Installer for unit tests: installed while in scope, so code
// under test reaches states a test machine cannot produce.
#include <gmock/gmock.h>

#include "installer/WindowsInstaller.h"

class MockWindowsInstaller : public IWindowsInstaller {
public:
    MockWindowsInstaller() { m_previous = SetMsiImplementation(this); }
    ~MockWindowsInstaller() override { SetMsiImplementation(m_previous); }

    MOCK_METHOD(UINT, EnumRelatedProducts, (const char*, DWORD, DWORD, char*), (override));
    MOCK_METHOD(UINT, EnumProducts, (DWORD, char*), (override));
    MOCK_METHOD(INSTALLUILEVEL, SetInternalUI, (INSTALLUILEVEL, HWND*), (override));
    MOCK_METHOD(UINT, EnableLog, (DWORD, const char*, DWORD), (override));
    MOCK_METHOD(UINT, InstallProduct, (const char*, const char*), (override));
    MOCK_METHOD(UINT, GetProductInfo, (const char*, const char*, char*, DWORD*), (override));
    MOCK_METHOD(UINT, OpenDatabase, (const char*, const char*, MSIHANDLE*), (override));
    MOCK_METHOD(UINT, DatabaseOpenView, (MSIHANDLE, const char*, MSIHANDLE*), (override));
    MOCK_METHOD(UINT, ViewExecute, (MSIHANDLE, MSIHANDLE), (override));
    MOCK_METHOD(UINT, ViewFetch, (MSIHANDLE, MSIHANDLE*), (override));
    MOCK_METHOD(UINT, RecordGetString, (MSIHANDLE, UINT, char*, DWORD*), (override));
    MOCK_METHOD(UINT, CloseHandle, (MSIHANDLE), (override));
    MOCK_METHOD(INSTALLSTATE, GetComponentPath, (const char*, const char*, char*, DWORD*),
                (override));
    MOCK_METHOD(INSTALLSTATE, LocateComponent, (const char*, char*, DWORD*), (override));
    MOCK_METHOD(UINT, CheckDatabaseFunctions, (), (override));

private:
    IWindowsInstaller* m_previous;
};
