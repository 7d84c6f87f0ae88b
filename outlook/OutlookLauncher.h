#pragma once
// Closes a running Outlook and starts it again, so a newly installed add-in loads.
#include <windows.h>

#include <string>

#include "outlook/ProcessesEnum.h"

enum class OutlookWaitResult {
    NotOpened,  // the process could not be opened: no wait, no termination
    Ended,      // it ended within the time allowed
    Terminated, // still running when the time was up
};

// What the launcher needs of the system; tests script it.
class IOutlookLauncherSystem {
public:
    virtual ~IOutlookLauncherSystem();
    // May throw (Error::Q7ExceptionCommon from CProcessesEnum::Snapshot).
    virtual void ListProcesses(CProcessesEnum& processes) = 0;
    // Posts WM_CLOSE to every top-level window of the process.
    virtual void PostCloseToWindows(DWORD processId) = 0;
    // Waits for the process to end; terminates it with exit code 0 when it does not.
    virtual OutlookWaitResult WaitOrTerminate(DWORD processId, DWORD timeoutMs) = 0;
    // Starts a program by name through the shell; a failure is not reported.
    virtual void ShellStart(const char* verb, const char* file, int show) = 0;
};

class COutlookLauncherSystem : public IOutlookLauncherSystem {
public:
    void ListProcesses(CProcessesEnum& processes) override;
    void PostCloseToWindows(DWORD processId) override;
    OutlookWaitResult WaitOrTerminate(DWORD processId, DWORD timeoutMs) override;
    void ShellStart(const char* verb, const char* file, int show) override;
};

class COutlookLauncher {
public:
    static constexpr DWORD kCloseWaitMs = 20000;

    COutlookLauncher();
    // For tests: a scripted system and a shorter wait.
    explicit COutlookLauncher(IOutlookLauncherSystem& system, DWORD closeWaitMs = kCloseWaitMs);
    COutlookLauncher(const COutlookLauncher&) = delete;
    COutlookLauncher& operator=(const COutlookLauncher&) = delete;
    virtual ~COutlookLauncher();

    void CloseAndStartOutlook(std::string confirmText);
    // True when Outlook may be started; false when the user declined.
    bool CloseRunningOutlook(std::string confirmText);

    // EnumWindows callback; processId is the process whose windows are asked to close.
    static BOOL CALLBACK PostCloseToProcessWindows(HWND window, LPARAM processId);

private:
    COutlookLauncherSystem m_realSystem;
    IOutlookLauncherSystem& m_system;
    DWORD m_closeWaitMs;
};
