#pragma once
// Our own fake Outlook programs (tests/fakes/outlook), started and cleaned up for real
// under Wine. Both are named outlook.exe and live in fakes\<variant>\ beside the test.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/FwString.h"
#include "outlook/ProcessesEnum.h"

// A process record as Tool Help fills it in.
inline PROCESSENTRY32 Record(const char* exeFile, DWORD processId) {
    PROCESSENTRY32 entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    entry.th32ProcessID = processId;
    lstrcpynA(entry.szExeFile, exeFile, MAX_PATH);
    return entry;
}

class CTestHandle {
public:
    explicit CTestHandle(HANDLE handle = nullptr) : m_handle(handle) {}
    CTestHandle(const CTestHandle&) = delete;
    CTestHandle& operator=(const CTestHandle&) = delete;
    ~CTestHandle() {
        if (m_handle)
            CloseHandle(m_handle);
    }
    HANDLE Get() const { return m_handle; }
    void Reset(HANDLE handle) {
        if (m_handle)
            CloseHandle(m_handle);
        m_handle = handle;
    }

private:
    HANDLE m_handle;
};

inline std::string FakeOutlookFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\')) + "\\fakes";
}

inline std::string FakeOutlookPath(const char* variant) {
    return FakeOutlookFolder() + "\\" + variant + "\\outlook.exe";
}

inline bool HasTopLevelWindow(DWORD processId) {
    struct Search {
        DWORD processId;
        bool found;
    } search = {processId, false};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->processId)
                s->found = true;
            return !s->found;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline bool WaitFor(bool (*condition)(DWORD), DWORD processId, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (condition(processId))
            return true;
        Sleep(50);
    }
    return condition(processId);
}

// A running fake whose window exists, so WM_CLOSE cannot arrive before it.
class CFakeOutlook {
public:
    explicit CFakeOutlook(const char* variant) {
        std::string path = FakeOutlookPath(variant);
        std::string commandLine = "\"" + path + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                           nullptr, &startup, &info)) {
            CloseHandle(info.hThread);
            m_process.Reset(info.hProcess);
            m_processId = info.dwProcessId;
            m_ready = WaitFor(HasTopLevelWindow, m_processId, 15000);
        }
    }
    CFakeOutlook(const CFakeOutlook&) = delete;
    CFakeOutlook& operator=(const CFakeOutlook&) = delete;
    ~CFakeOutlook() {
        if (m_process.Get() && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_process.Get(), 1);
            WaitForSingleObject(m_process.Get(), 5000);
        }
    }

    bool Ready() const { return m_ready; }
    DWORD ProcessId() const { return m_processId; }
    bool WaitExit(DWORD timeoutMs) const {
        return WaitForSingleObject(m_process.Get(), timeoutMs) == WAIT_OBJECT_0;
    }
    DWORD ExitCode() const {
        DWORD code = 0;
        GetExitCodeProcess(m_process.Get(), &code);
        return code;
    }

private:
    CTestHandle m_process;
    DWORD m_processId = 0;
    bool m_ready = false;
};

// Running outlook.exe processes started from our fakes folder (the shell may start
// one the test holds no handle for).
inline std::vector<DWORD> RunningFakeOutlooks() {
    std::vector<DWORD> found;
    CProcessesEnum processes;
    processes.Snapshot();
    std::string folder = FakeOutlookFolder() + "\\";
    for (const PROCESSENTRY32& entry : processes) {
        if (lstrcmpiA(entry.szExeFile, "outlook.exe") != 0)
            continue;
        CTestHandle process(
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        char image[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (process.Get() && QueryFullProcessImageNameA(process.Get(), 0, image, &size) &&
            CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, image,
                           static_cast<int>(folder.size()), folder.c_str(),
                           static_cast<int>(folder.size())) == CSTR_EQUAL)
            found.push_back(entry.th32ProcessID);
    }
    return found;
}

inline void KillFakeOutlooks() {
    for (DWORD processId : RunningFakeOutlooks()) {
        CTestHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
        if (process.Get()) {
            TerminateProcess(process.Get(), 1);
            WaitForSingleObject(process.Get(), 5000);
        }
    }
}

// Makes ShellExecute find "outlook" (Wine looks App Paths up by the name as given),
// and puts back what was registered before.
class CAppPathsRegistration {
public:
    explicit CAppPathsRegistration(const std::string& exePath) {
        for (const char* name : {"outlook.exe", "outlook"}) {
            Entry entry;
            entry.key = std::string(kAppPaths) + name;
            char value[MAX_PATH * 2] = {};
            DWORD size = sizeof value;
            entry.existed = RegGetValueA(HKEY_LOCAL_MACHINE, entry.key.c_str(), nullptr,
                                         RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS;
            entry.previous = value;
            m_ok = SetDefault(entry.key, exePath) && m_ok;
            m_entries.push_back(entry);
        }
    }
    CAppPathsRegistration(const CAppPathsRegistration&) = delete;
    CAppPathsRegistration& operator=(const CAppPathsRegistration&) = delete;
    ~CAppPathsRegistration() {
        for (const Entry& entry : m_entries) {
            if (entry.existed)
                SetDefault(entry.key, entry.previous);
            else
                RegDeleteKeyA(HKEY_LOCAL_MACHINE, entry.key.c_str());
        }
    }
    bool Ok() const { return m_ok; }

private:
    static constexpr const char* kAppPaths =
        "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

    struct Entry {
        std::string key;
        bool existed;
        std::string previous;
    };

    static bool SetDefault(const std::string& key, const std::string& value) {
        HKEY handle = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &handle, nullptr) != ERROR_SUCCESS)
            return false;
        LONG result =
            RegSetValueExA(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1));
        RegCloseKey(handle);
        return result == ERROR_SUCCESS;
    }

    std::vector<Entry> m_entries;
    bool m_ok = true;
};
