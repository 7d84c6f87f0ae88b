#pragma once
// The application object: one run of the setup is one pass through InitInstance.
#include <optional>

#include "app/RunMessageBoxHost.h"
#include "app/SetupCommandLine.h"
#include "framework/FwApp.h"
#include "installer/InstallLog.h"

class CQ7TolvaneSetupBootApp : public CFwApp {
public:
    CQ7TolvaneSetupBootApp();
    ~CQ7TolvaneSetupBootApp() override;

    // The process's command line as GetCommandLineW gives it (the program name
    // first); kept, not copied. Without one the run has no options.
    void SetCommandLine(const wchar_t* commandLine) { m_commandLine = commandLine; }

    // Runs the whole setup; always returns FALSE so no message loop runs.
    BOOL InitInstance() override;
    // Shuts GDI+ down when it was started; returns GetExitCode().
    int ExitInstance() override;

    ULONG_PTR GetGdiplusToken() const { return m_gdiplusToken; }
    // Windows Installer's code for the run's outcome, for deployment scripts:
    // 0 (or the reboot result) once the product is installed, whatever fails
    // afterwards; 1633 without Outlook, 1638 for another edition, 1602 when the
    // user declined, the installer's own failure, or 1603 for any other error.
    // 1639 for an invalid command line, 1622 for a log file that cannot be
    // created; 0 after /extract or /?.
    UINT GetExitCode() const { return m_exitCode; }

protected:
    // Shows the finish screen modally; GDI+ is running.
    virtual void RunFinishScreen();

private:
    void RunSetup();
    // False when the run ends with the command line: invalid, help, or no log file.
    bool ApplyCommandLine();
    void Install();

    const wchar_t* m_commandLine = nullptr;
    CSetupCommandLine m_options;
    CInstallLog m_log;
    // Routes message boxes to the log, and away from the screen in a quiet run.
    std::optional<CRunMessageBoxHost> m_boxes;
    ULONG_PTR m_gdiplusToken = 0;
    bool m_oleInitialized = false;
    UINT m_exitCode = ERROR_INSTALL_FAILURE;
};
