#include "outlook/OutlookLauncher.h"

#include <shellapi.h>

#include <cstring>
#include <utility>

#include "framework/FwMessageBox.h"
#include "framework/FwString.h"

namespace {

const char kOutlookProcessName[] = "outlook.exe";

class CProcessHandle {
public:
    explicit CProcessHandle(HANDLE handle) : m_handle(handle) {}
    CProcessHandle(const CProcessHandle&) = delete;
    CProcessHandle& operator=(const CProcessHandle&) = delete;
    ~CProcessHandle() {
        if (m_handle)
            CloseHandle(m_handle);
    }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

} // namespace

IOutlookLauncherSystem::~IOutlookLauncherSystem() = default;

void COutlookLauncherSystem::ListProcesses(CProcessesEnum& processes) {
    processes.Snapshot();
}

void COutlookLauncherSystem::PostCloseToWindows(DWORD processId) {
    EnumWindows(&COutlookLauncher::PostCloseToProcessWindows, static_cast<LPARAM>(processId));
}

OutlookWaitResult COutlookLauncherSystem::WaitOrTerminate(DWORD processId, DWORD timeoutMs) {
    CProcessHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId));
    if (!process.Get())
        return OutlookWaitResult::NotOpened;
    if (WaitForSingleObject(process.Get(), timeoutMs) == WAIT_OBJECT_0)
        return OutlookWaitResult::Ended;
    TerminateProcess(process.Get(), 0);
    return OutlookWaitResult::Terminated;
}

void COutlookLauncherSystem::ShellStart(const char* verb, const char* file, int show) {
    ShellExecuteA(nullptr, verb, file, nullptr, nullptr, show);
}

COutlookLauncher::COutlookLauncher() : m_system(m_realSystem), m_closeWaitMs(kCloseWaitMs) {}

COutlookLauncher::COutlookLauncher(IOutlookLauncherSystem& system, DWORD closeWaitMs)
    : m_system(system), m_closeWaitMs(closeWaitMs) {}

COutlookLauncher::~COutlookLauncher() = default;

void COutlookLauncher::CloseAndStartOutlook(std::string confirmText) {
    if (CloseRunningOutlook(std::move(confirmText)))
        m_system.ShellStart("open", "outlook", SW_SHOW);
}

bool COutlookLauncher::CloseRunningOutlook(std::string confirmText) {
    // Whatever goes wrong here, Outlook is started as if it had not been running.
    try {
        CProcessesEnum processes;
        m_system.ListProcesses(processes);
        PROCESSENTRY32 outlook;
        std::memset(&outlook, 0, sizeof outlook);
        if (!processes.FindByName(kOutlookProcessName, &outlook))
            return true;

        std::string question = FwTrim(confirmText);
        if (!question.empty() &&
            FwMessageBox(question.c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
            return false;

        // Posted, not sent: a busy Outlook cannot block the dialog's thread here.
        m_system.PostCloseToWindows(outlook.th32ProcessID);
        m_system.WaitOrTerminate(outlook.th32ProcessID, m_closeWaitMs);
    } catch (...) {
    }
    return true;
}

BOOL CALLBACK COutlookLauncher::PostCloseToProcessWindows(HWND window, LPARAM processId) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(processId))
        PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}
