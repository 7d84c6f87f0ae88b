#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "error/Q7Exception.h"
#include "framework/FwApp.h"
#include "framework/FwString.h"
#include "outlook/OutlookLauncher.h"
#include "tests/unit/outlook/FakeOutlook.h"
#include "tests/unit/support/RecordingMessageBoxHost.h"

namespace {

// Every system operation the launcher asks for, in order.
class ScriptedSystem : public IOutlookLauncherSystem {
public:
    void ListProcesses(CProcessesEnum& processes) override {
        calls.push_back("list");
        if (listThrows)
            throw Error::Q7ExceptionCommon(ERROR_ACCESS_DENIED, "Process32First failed.", nullptr,
                                           0);
        for (const auto& p : running)
            processes.push_back(Record(p.first, p.second));
    }
    void PostCloseToWindows(DWORD processId) override {
        calls.push_back(FwFormat("post %lu", processId));
    }
    OutlookWaitResult WaitOrTerminate(DWORD processId, DWORD timeoutMs) override {
        calls.push_back(FwFormat("wait %lu %lu", processId, timeoutMs));
        return waitResult;
    }
    void ShellStart(const char* verb, const char* file, int show) override {
        calls.push_back(FwFormat("shell %s %s %d", verb, file, show));
    }

    std::vector<std::pair<const char*, DWORD>> running;
    bool listThrows = false;
    OutlookWaitResult waitResult = OutlookWaitResult::Ended;
    std::vector<std::string> calls;
};

const char kStart[] = "shell open outlook 5";

using Calls = std::vector<std::string>;

} // namespace

TEST(OutlookLauncher, NotRunningStartsOnceWithoutAskingOrWaiting) {
    RecordingMessageBoxHost boxes;
    ScriptedSystem system;
    system.running = {{"explorer.exe", 8}, {"outlook.exe.bak", 9}};
    COutlookLauncher launcher(system);
    launcher.CloseAndStartOutlook("Close Outlook now?");
    EXPECT_EQ((Calls{"list", kStart}), system.calls);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(OutlookLauncher, RunningIsClosedWaitedForTwentySecondsThenStarted) {
    for (OutlookWaitResult result :
         {OutlookWaitResult::Ended, OutlookWaitResult::Terminated, OutlookWaitResult::NotOpened}) {
        RecordingMessageBoxHost boxes;
        ScriptedSystem system;
        system.running = {{"explorer.exe", 8}, {"OUTLOOK.EXE", 1234}};
        system.waitResult = result;
        COutlookLauncher launcher(system);
        // Blank text is no question at all.
        launcher.CloseAndStartOutlook(" \t \r\n ");
        EXPECT_EQ((Calls{"list", "post 1234", "wait 1234 20000", kStart}), system.calls);
        EXPECT_TRUE(boxes.boxes.empty());
    }
}

TEST(OutlookLauncher, QuestionIsAskedOnlyWhenRunningAndOnlyYesGoesOn) {
    struct Case {
        int answer;
        bool goesOn;
    } cases[] = {{IDYES, true}, {IDNO, false}, {IDCANCEL, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        RecordingMessageBoxHost boxes;
        boxes.answers.push_back(c.answer);
        ScriptedSystem system;
        system.running = {{"outlook.exe", 77}};
        COutlookLauncher launcher(system);
        launcher.CloseAndStartOutlook("  Close Outlook now?\n");

        ASSERT_EQ(1u, boxes.boxes.size());
        EXPECT_EQ("Close Outlook now?", boxes.boxes[0].text);
        EXPECT_EQ(FwAppName(), boxes.boxes[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2),
                  boxes.boxes[0].type);
        Calls expected =
            c.goesOn ? Calls{"list", "post 77", "wait 77 20000", kStart} : Calls{"list"};
        EXPECT_EQ(expected, system.calls);
    }

    RecordingMessageBoxHost boxes;
    ScriptedSystem system;
    system.running = {{"outlook.exe", 77}};
    COutlookLauncher launcher(system);
    EXPECT_FALSE(launcher.CloseRunningOutlook("Close Outlook now?"));
}

TEST(OutlookLauncher, EnumerationFailureStartsOutlookSilently) {
    RecordingMessageBoxHost boxes;
    ScriptedSystem system;
    system.listThrows = true;
    COutlookLauncher launcher(system);
    launcher.CloseAndStartOutlook("Close Outlook now?");
    EXPECT_EQ((Calls{"list", kStart}), system.calls);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(OutlookLauncher, OnlyTheFirstOfTwoOutlooksIsClosed) {
    ScriptedSystem system;
    system.running = {{"svchost.exe", 4}, {"C:\\Office\\OUTLOOK.EXE", 300}, {"outlook.exe", 200}};
    COutlookLauncher launcher(system, 1500);
    launcher.CloseAndStartOutlook("");
    EXPECT_EQ((Calls{"list", "post 300", "wait 300 1500", kStart}), system.calls);
}

namespace {

// The real system with a scripted process list and a recorded shell start.
class ListedRealSystem : public COutlookLauncherSystem {
public:
    void ListProcesses(CProcessesEnum& processes) override {
        if (!listed.empty())
            processes.assign(listed.begin(), listed.end());
        else
            COutlookLauncherSystem::ListProcesses(processes);
    }
    void ShellStart(const char* verb, const char* file, int show) override {
        starts.push_back(FwFormat("shell %s %s %d", verb, file, show));
    }
    std::vector<PROCESSENTRY32> listed;
    std::vector<std::string> starts;
};

class OutlookLauncherReal : public testing::Test {
protected:
    void SetUp() override { KillFakeOutlooks(); }
    void TearDown() override {
        KillFakeOutlooks();
        EXPECT_TRUE(RunningFakeOutlooks().empty());
    }
};

} // namespace

TEST_F(OutlookLauncherReal, OpenProcessFailingStartsAtOnce) {
    ListedRealSystem system;
    // No process has this identifier, so it cannot be opened.
    system.listed = {Record("outlook.exe", 0xFFFFFFF0u)};
    COutlookLauncher launcher(system);
    DWORD begin = GetTickCount();
    launcher.CloseAndStartOutlook("");
    EXPECT_LT(GetTickCount() - begin, 5000u);
    EXPECT_EQ(Calls{kStart}, system.starts);
}

TEST_F(OutlookLauncherReal, CloseRequestReachesOnlyTheGivenProcessesWindows) {
    CFakeOutlook first("polite");
    CFakeOutlook second("polite");
    ASSERT_TRUE(first.Ready());
    ASSERT_TRUE(second.Ready());
    COutlookLauncherSystem system;
    system.PostCloseToWindows(second.ProcessId());
    ASSERT_TRUE(second.WaitExit(10000));
    EXPECT_EQ(7u, second.ExitCode());
    EXPECT_FALSE(first.WaitExit(500));
}

TEST_F(OutlookLauncherReal, PoliteOutlookClosesAndIsStartedAgainThroughTheShell) {
    CAppPathsRegistration appPaths(FakeOutlookPath("polite"));
    ASSERT_TRUE(appPaths.Ok());
    CFakeOutlook running("polite");
    ASSERT_TRUE(running.Ready());

    COutlookLauncher launcher; // the product's own system and 20-second wait
    DWORD begin = GetTickCount();
    launcher.CloseAndStartOutlook("");
    EXPECT_LT(GetTickCount() - begin, 10000u);

    ASSERT_TRUE(running.WaitExit(0));
    EXPECT_EQ(7u, running.ExitCode()); // closed by WM_CLOSE, not terminated (0)

    std::vector<DWORD> started;
    for (int i = 0; i < 300 && started.empty(); ++i) {
        started = RunningFakeOutlooks();
        if (started.empty())
            Sleep(50);
    }
    ASSERT_EQ(1u, started.size());
    EXPECT_NE(running.ProcessId(), started[0]);
}

TEST_F(OutlookLauncherReal, StubbornOutlookIsTerminatedAfterTheWait) {
    CFakeOutlook stubborn("stubborn");
    ASSERT_TRUE(stubborn.Ready());
    ListedRealSystem system;
    COutlookLauncher launcher(system, 1500);
    DWORD begin = GetTickCount();
    launcher.CloseAndStartOutlook("");
    EXPECT_GE(GetTickCount() - begin, 1400u);

    ASSERT_TRUE(stubborn.WaitExit(5000));
    EXPECT_EQ(0u, stubborn.ExitCode());
    EXPECT_EQ(Calls{kStart}, system.starts);
}
