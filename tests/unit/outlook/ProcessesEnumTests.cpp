#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "error/Q7Exception.h"
#include "outlook/ProcessesEnum.h"
#include "tests/unit/outlook/FakeOutlook.h"

namespace {

PROCESSENTRY32 Marker() {
    PROCESSENTRY32 entry;
    std::memset(&entry, 0xA5, sizeof entry);
    return entry;
}

bool IsMarker(const PROCESSENTRY32& entry) {
    PROCESSENTRY32 marker = Marker();
    return std::memcmp(&entry, &marker, sizeof entry) == 0;
}

// Tool Help answering from a script, so the failures the system will not produce
// on demand can be shown.
class ScriptedToolHelp : public CToolHelp32Wrapper {
public:
    ScriptedToolHelp() : CToolHelp32Wrapper(CFwLibrary()) {}

    bool IsLoaded() const override { return loaded; }
    HANDLE CreateSnapshot(DWORD flags, DWORD processId) const override {
        snapshotArgs.push_back(flags);
        snapshotArgs.push_back(processId);
        SetLastError(snapshotError);
        return snapshot;
    }
    bool FirstProcess(HANDLE handle, PROCESSENTRY32* entry) const override {
        sizeSeen = entry->dwSize;
        next = 0;
        return Walk(handle, entry);
    }
    bool NextProcess(HANDLE handle, PROCESSENTRY32* entry) const override {
        return Walk(handle, entry);
    }
    void CloseSnapshot(HANDLE handle) const override { closed.push_back(handle); }

    bool loaded = true;
    HANDLE snapshot = reinterpret_cast<HANDLE>(0x1234);
    DWORD snapshotError = 0;
    std::vector<std::string> names;
    size_t failAt = std::numeric_limits<size_t>::max(); // index whose walk call fails
    DWORD walkError = ERROR_NO_MORE_FILES;

    mutable std::vector<DWORD> snapshotArgs;
    mutable std::vector<HANDLE> closed;
    mutable DWORD sizeSeen = 0;

private:
    bool Walk(HANDLE handle, PROCESSENTRY32* entry) const {
        if (handle != snapshot || next >= names.size() || next == failAt) {
            SetLastError(walkError);
            return false;
        }
        lstrcpynA(entry->szExeFile, names[next].c_str(), MAX_PATH);
        entry->th32ProcessID = static_cast<DWORD>(100 + next);
        ++next;
        return true;
    }
    mutable size_t next = 0;
};

} // namespace

TEST(ProcessesEnumSnapshot, ListsEveryRecordInOrderAndClosesTheSnapshot) {
    ScriptedToolHelp toolHelp;
    toolHelp.names = {"System", "explorer.exe", "OUTLOOK.EXE"};
    CProcessesEnum processes;
    processes.push_back(Marker());
    processes.Snapshot(toolHelp);

    ASSERT_EQ(3u, processes.size());
    EXPECT_STREQ("explorer.exe", processes[1].szExeFile);
    EXPECT_EQ(102u, processes[2].th32ProcessID);
    EXPECT_EQ((std::vector<DWORD>{TH32CS_SNAPPROCESS, 0}), toolHelp.snapshotArgs);
    // The structure's own size: 304 bytes in x64, where the 32-bit 296 would fail.
    EXPECT_EQ(sizeof(PROCESSENTRY32), toolHelp.sizeSeen);
    EXPECT_EQ(std::vector<HANDLE>{toolHelp.snapshot}, toolHelp.closed);
}

TEST(ProcessesEnumSnapshot, NextFailingKeepsTheRecordsGathered) {
    ScriptedToolHelp toolHelp;
    toolHelp.names = {"a.exe", "b.exe", "c.exe"};
    toolHelp.failAt = 2;
    toolHelp.walkError = ERROR_ACCESS_DENIED;
    CProcessesEnum processes;
    EXPECT_NO_THROW(processes.Snapshot(toolHelp));
    ASSERT_EQ(2u, processes.size());
    EXPECT_STREQ("b.exe", processes[1].szExeFile);
    EXPECT_EQ(1u, toolHelp.closed.size());
}

TEST(ProcessesEnumSnapshot, FailuresThrowWithCodeAndTextAndLeaveAnEmptyList) {
    struct Case {
        const char* what;
        HANDLE snapshot;
        DWORD snapshotError;
        DWORD walkError;
        DWORD code;
        const char* text;
        size_t closes;
    } cases[] = {
        {"snapshot refused", INVALID_HANDLE_VALUE, ERROR_NOT_ENOUGH_MEMORY, 0,
         ERROR_NOT_ENOUGH_MEMORY, "CreateToolhelp32Snapshot (of processes)", 0},
        {"first record refused", reinterpret_cast<HANDLE>(0x1234), 0, ERROR_NO_MORE_FILES,
         ERROR_NO_MORE_FILES, "Process32First failed.", 1},
        {"snapshot entry point missing", nullptr, 0, ERROR_INVALID_HANDLE, ERROR_INVALID_HANDLE,
         "Process32First failed.", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedToolHelp toolHelp;
        toolHelp.snapshot = c.snapshot;
        toolHelp.snapshotError = c.snapshotError;
        toolHelp.walkError = c.walkError;
        toolHelp.failAt = 0;
        toolHelp.names = {"a.exe"};
        CProcessesEnum processes;
        processes.push_back(Marker());
        try {
            processes.Snapshot(toolHelp);
            ADD_FAILURE() << "no exception";
        } catch (const Error::Q7ExceptionCommon& e) {
            EXPECT_EQ(c.code, e.GetCode());
            EXPECT_EQ(c.text, e.GetText());
            EXPECT_EQ("", e.GetFile());
            EXPECT_EQ("", e.GetFunction());
            EXPECT_EQ(0, e.GetLine());
        }
        EXPECT_TRUE(processes.empty());
        EXPECT_EQ(c.closes, toolHelp.closed.size());
    }
}

TEST(ProcessesEnumSnapshot, NoToolHelpModuleGivesAnEmptyListQuietly) {
    ScriptedToolHelp toolHelp;
    toolHelp.loaded = false;
    CProcessesEnum processes;
    processes.push_back(Marker());
    EXPECT_NO_THROW(processes.Snapshot(toolHelp));
    EXPECT_TRUE(processes.empty());
    EXPECT_TRUE(toolHelp.snapshotArgs.empty());

    // The real wrapper over no module at all.
    CToolHelp32Wrapper none{CFwLibrary()};
    EXPECT_FALSE(none.IsLoaded());
    EXPECT_NO_THROW(processes.Snapshot(none));
    EXPECT_TRUE(processes.empty());
}

TEST(ProcessesEnumSnapshot, MissingEntryPointsReportTheFirstProcessCall) {
    // A real module without Tool Help: every lookup by name fails.
    CToolHelp32Wrapper withoutToolHelp(FwLoadSystemLibrary("user32.dll"));
    ASSERT_TRUE(withoutToolHelp.IsLoaded());
    EXPECT_EQ(nullptr, withoutToolHelp.CreateSnapshot(TH32CS_SNAPPROCESS, 0));
    CProcessesEnum processes;
    try {
        processes.Snapshot(withoutToolHelp);
        ADD_FAILURE() << "no exception";
    } catch (const Error::Q7ExceptionCommon& e) {
        EXPECT_EQ(static_cast<uint32_t>(ERROR_PROC_NOT_FOUND), e.GetCode());
        EXPECT_EQ("Process32First failed.", e.GetText());
    }
    EXPECT_TRUE(processes.empty());
}

TEST(ProcessesEnumFindByName, MatchesTheFileNameComponentWithoutRegardToCase) {
    struct Case {
        const char* exeFile;
        bool matches;
    } cases[] = {
        {"outlook.exe", true},
        {"OUTLOOK.EXE", true},
        {"C:\\Program Files\\Microsoft Office\\root\\Office16\\OUTLOOK.EXE", true},
        {"C:/Office/Outlook.exe", true},
        {"C:\\outlook.exe\\winword.exe", false},
        {"outlook.exe.old", false},
        {"myoutlook.exe", false},
        {"outlook", false},
        {"", false},
    };
    for (const Case& c : cases) {
        CProcessesEnum processes;
        processes.push_back(Record("explorer.exe", 4));
        processes.push_back(Record(c.exeFile, 42));
        PROCESSENTRY32 found = Marker();
        EXPECT_EQ(c.matches, processes.FindByName("outlook.exe", &found)) << c.exeFile;
        if (c.matches)
            EXPECT_EQ(0, std::memcmp(&processes[1], &found, sizeof found)) << c.exeFile;
        else
            EXPECT_TRUE(IsMarker(found)) << c.exeFile;
        EXPECT_EQ(c.matches, processes.FindByName("OutLook.Exe", nullptr)) << c.exeFile;
    }
}

TEST(ProcessesEnumFindByName, FirstOfSeveralWinsAndAnEmptyListFindsNothing) {
    CProcessesEnum processes;
    PROCESSENTRY32 found = Marker();
    EXPECT_FALSE(processes.FindByName("outlook.exe", &found));
    EXPECT_TRUE(IsMarker(found));

    processes.push_back(Record("OUTLOOK.EXE", 10));
    processes.push_back(Record("outlook.exe", 20));
    ASSERT_TRUE(processes.FindByName("outlook.exe", &found));
    EXPECT_EQ(10u, found.th32ProcessID);
}

TEST(ProcessesEnumReal, SnapshotFindsTheRunningFakeOutlook) {
    KillFakeOutlooks();
    CFakeOutlook fake("polite");
    ASSERT_TRUE(fake.Ready());

    CProcessesEnum processes;
    processes.Snapshot();
    PROCESSENTRY32 found = Marker();
    ASSERT_TRUE(processes.FindByName("OUTLOOK.EXE", &found));
    EXPECT_EQ(fake.ProcessId(), found.th32ProcessID);
    EXPECT_EQ(sizeof(PROCESSENTRY32), found.dwSize);

    // A second snapshot replaces the first rather than adding to it.
    size_t first = processes.size();
    processes.push_back(Marker());
    processes.Snapshot();
    EXPECT_LT(processes.size(), 2 * first);
    size_t selves = 0;
    for (const PROCESSENTRY32& entry : processes) {
        EXPECT_FALSE(IsMarker(entry));
        if (entry.th32ProcessID == GetCurrentProcessId())
            ++selves;
    }
    EXPECT_EQ(1u, selves);
}
