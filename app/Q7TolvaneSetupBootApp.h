#pragma once
// The application object: one run of the setup is one pass through InitInstance.
#include "framework/FwApp.h"

class CQ7TolvaneSetupBootApp : public CFwApp {
public:
    CQ7TolvaneSetupBootApp();
    ~CQ7TolvaneSetupBootApp() override;

    // Runs the whole setup; always returns FALSE so no message loop runs.
    BOOL InitInstance() override;
    // Shuts GDI+ down when it was started; returns GetExitCode().
    int ExitInstance() override;

    ULONG_PTR GetGdiplusToken() const { return m_gdiplusToken; }
    // Windows Installer's code for the run's outcome, for deployment scripts:
    // 0 (or the reboot result) once the product is installed, whatever fails
    // afterwards; 1633 without Outlook, 1638 for another edition, 1602 when the
    // user declined, the installer's own failure, or 1603 for any other error.
    UINT GetExitCode() const { return m_exitCode; }

protected:
    // Shows the finish screen modally; GDI+ is running.
    virtual void RunFinishScreen();

private:
    void RunSetup();

    ULONG_PTR m_gdiplusToken = 0;
    bool m_oleInitialized = false;
    UINT m_exitCode = ERROR_INSTALL_FAILURE;
};
