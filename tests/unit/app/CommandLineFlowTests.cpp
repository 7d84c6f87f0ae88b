// Runs of the setup with a command line: unattended installations, the log file,
// the extracted packages, and the command line refused before anything happens.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "app/Q7TolvaneSetupBootApp.h"
#include "error/Q7Exception.h"
#include "framework/FwResources.h"
#include "framework/FwString.h"
#include "res/resource.h"
#include "tests/unit/installer/InstallerTestSupport.h"
#include "tests/unit/support/MockWindowsInstaller.h"
#include "tests/unit/support/RecordingMessageBoxHost.h"

using ::testing::_;
using ::testing::Return;
using ::testing::StrEq;
using ::testing::StrictMock;
using ::testing::Throw;

namespace {

const char kCaption[] = "Quorvel Tolvane";
const char kNoOutlook[] =
    "No supported version of Microsoft Outlook detected. Install Microsoft Outlook and retry.";
const char kRecordKey[] = "Software\\Quorvel\\Freeware - OutlookTolvane";
const char kOutlookX64[] = "{ECCC8A38-7855-46CA-88FB-3BAA7CD95E56}";
const char kFamilyX64[] = "{5B0E64C1-2C7D-4E5A-9A51-3F6D2B8A7C11}";
const char kOldProduct[] = "{9D1A3C55-0B7E-4F62-8A19-2C4E6F8A0B13}";
const INSTALLUILEVEL kPassiveUi =
    static_cast<INSTALLUILEVEL>(INSTALLUILEVEL_BASIC | INSTALLUILEVEL_PROGRESSONLY);

// The application with its finish screen counted instead of shown.
class ObservedApp : public CQ7TolvaneSetupBootApp {
public:
    explicit ObservedApp(const std::wstring& commandLine) : m_commandLine(commandLine) {
        SetCommandLine(m_commandLine.c_str());
    }
    // Runs once; the exit code.
    UINT RunOnce() {
        EXPECT_FALSE(InitInstance());
        return static_cast<UINT>(ExitInstance());
    }
    int finishScreens = 0;

protected:
    void RunFinishScreen() override { ++finishScreens; }

private:
    std::wstring m_commandLine;
};

bool RecordStored() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRecordKey, 0, KEY_READ | KEY_WOW64_64KEY, &key) !=
        ERROR_SUCCESS)
        return false;
    bool stored =
        RegQueryValueExA(key, "SourceInfo", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return stored;
}

void DeleteRecord() {
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kRecordKey, view, 0);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFile(const std::string& path, const std::string& content, bool append = false) {
    std::ofstream out(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    out << content;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::wstring Wide(const std::string& text) {
    std::vector<wchar_t> wide = FwWiden(text);
    return std::wstring(wide.data());
}

std::string ResourceBytes(WORD id) {
    const void* bytes = nullptr;
    DWORD size = 0;
    EXPECT_TRUE(FwResourceBytes(FwResourceModule(), "MSI", MAKEINTRESOURCEA(id), &bytes, &size));
    return std::string(static_cast<const char*>(bytes), size);
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A new folder with a space in its name under the temporary folder, removed with
// everything in it.
class TempFolder {
public:
    TempFolder() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        path = std::string(temp) + "tolvane cmdline " + std::to_string(GetCurrentProcessId()) +
               "-" + std::to_string(++s_count);
        CreateDirectoryA(path.c_str(), nullptr);
    }
    ~TempFolder() { Remove(path); }
    std::string path;

private:
    static void Remove(const std::string& folder) {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::string name = data.cFileName;
                if (name == "." || name == "..")
                    continue;
                std::string child = folder + "\\" + name;
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    Remove(child);
                else
                    DeleteFileA(child.c_str());
            } while (FindNextFileA(find, &data));
            FindClose(find);
        }
        RemoveDirectoryA(folder.c_str());
    }
    static inline int s_count = 0;
};

class CommandLineFlowTest : public ::testing::Test {
protected:
    CommandLineFlowTest() {
        ON_CALL(scripted.msi, LocateComponent(_, _, _)).WillByDefault(Return(INSTALLSTATE_UNKNOWN));
        DeleteRecord();
    }
    ~CommandLineFlowTest() override { DeleteRecord(); }

    void InstallOutlook() {
        ON_CALL(scripted.msi, LocateComponent(StrEq(kOutlookX64), _, _))
            .WillByDefault(Return(INSTALLSTATE_LOCAL));
    }

    void InstallOlderVersion() {
        ScriptRelated(scripted.msi, kFamilyX64, kOldProduct);
        ScriptProductInfo(scripted.msi, kOldProduct, "VersionString", "0.1");
        ScriptProductInfo(scripted.msi, kOldProduct, "InstallLocation", "D:\\Old");
    }

    ScriptedMsi scripted;
    RecordingMessageBoxHost boxes;
};

} // namespace

TEST_F(CommandLineFlowTest, UnattendedRunsReplaceTheOlderVersionWithoutFinishScreen) {
    struct Case {
        const wchar_t* line;
        INSTALLUILEVEL ui;
    } const cases[] = {
        {L"TolvaneSetup.exe /quiet", INSTALLUILEVEL_NONE},
        {L"TolvaneSetup.exe -Q /passive", INSTALLUILEVEL_NONE},
        {L"TolvaneSetup.exe /passive", kPassiveUi},
    };
    InstallOutlook();
    InstallOlderVersion();
    for (const Case& c : cases) {
        std::string line = FwNarrow(c.line);
        DeleteRecord();
        EXPECT_CALL(scripted.msi, SetInternalUI(c.ui, _));
        EXPECT_CALL(scripted.msi, InstallProduct(_, StrEq("ACTION=INSTALL Q7STSDATA=\"\" "
                                                          "OLDINSTALLATIONPATH=\"D:\\Old\"")))
            .WillOnce(Return(ERROR_SUCCESS));
        ObservedApp app(c.line);
        EXPECT_EQ(static_cast<UINT>(ERROR_SUCCESS), app.RunOnce()) << line;
        EXPECT_TRUE(boxes.boxes.empty()) << line;
        // No finish screen, so GDI+ is never started; the record is still written.
        EXPECT_EQ(0, app.finishScreens) << line;
        EXPECT_EQ(0u, app.GetGdiplusToken()) << line;
        EXPECT_TRUE(RecordStored()) << line;
        ::testing::Mock::VerifyAndClearExpectations(&scripted.msi);
    }
}

TEST_F(CommandLineFlowTest, QuietRunTellsErrorsOnlyThroughExitCodeAndLog) {
    TempFolder folder;
    const std::string log = folder.path + "\\setup.log";
    // No Outlook: the passive run still shows the message, the quiet run does not.
    {
        ObservedApp app(L"s.exe /passive");
        EXPECT_EQ(static_cast<UINT>(ERROR_INSTALL_PLATFORM_UNSUPPORTED), app.RunOnce());
        ASSERT_EQ(1u, boxes.boxes.size());
        EXPECT_EQ(kNoOutlook, boxes.boxes[0].text);
    }
    boxes.boxes.clear();
    {
        ObservedApp app(L"s.exe /quiet /log \"" + Wide(log) + L"\"");
        EXPECT_EQ(static_cast<UINT>(ERROR_INSTALL_PLATFORM_UNSUPPORTED), app.RunOnce());
        EXPECT_TRUE(boxes.boxes.empty());
        std::vector<std::string> lines = Lines(ReadFile(log));
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ("TolvaneSetup: Outlook: none", lines[lines.size() - 3]);
        EXPECT_EQ(std::string("TolvaneSetup: Quorvel Tolvane: ") + kNoOutlook,
                  lines[lines.size() - 2]);
        EXPECT_EQ("TolvaneSetup: Exit code 1633", lines.back());
    }
    // An error raised anywhere: the error box's text goes to the log instead.
    EXPECT_CALL(scripted.msi, LocateComponent(_, _, _))
        .WillOnce(Throw(Error::Q7ExceptionCommon(5, "Probing Outlook.", nullptr, 0)));
    {
        ObservedApp app(L"s.exe /q /log \"" + Wide(log) + L"\"");
        EXPECT_EQ(static_cast<UINT>(ERROR_INSTALL_FAILURE), app.RunOnce());
        EXPECT_TRUE(boxes.boxes.empty());
        std::string text = ReadFile(log);
        EXPECT_NE(std::string::npos, text.find("TolvaneSetup: Error: ")) << text;
        EXPECT_NE(std::string::npos, text.find("Probing Outlook.")) << text;
        EXPECT_EQ("TolvaneSetup: Exit code 1603", Lines(text).back());
    }
}

TEST_F(CommandLineFlowTest, LogHoldsTheSetupsLinesAroundWindowsInstallersLog) {
    const std::string installerLog = "MSI (c) (10:20) [12:00:00:000]: Windows Installer's line\r\n"
                                     "MSI (c) (10:20) [12:00:00:001]: and a long one " +
                                     std::string(400, '.') + "\r\n";
    // Windows Installer appends as asked; under Wine it writes from the file's start.
    for (bool fromStart : {false, true}) {
        InstallOutlook();
        TempFolder folder;
        const std::string log = folder.path + "\\setup run.log";
        WriteFile(log, "left over from an earlier run\r\n");
        {
            ::testing::InSequence order;
            EXPECT_CALL(scripted.msi, EnableLog(0x3fdf, StrEq(log), INSTALLLOGATTRIBUTES_APPEND))
                .WillOnce(Return(ERROR_SUCCESS));
            EXPECT_CALL(scripted.msi, InstallProduct(_, _)).WillOnce([&](const char*, const char*) {
                // The setup's lines are in the file, and the file is not held open.
                EXPECT_NE(std::string::npos, ReadFile(log).find("Windows Installer command "
                                                                "line: ACTION=INSTALL"));
                if (fromStart) {
                    std::fstream out(log, std::ios::binary | std::ios::in | std::ios::out);
                    out << installerLog;
                } else {
                    WriteFile(log, installerLog, true);
                }
                return static_cast<UINT>(ERROR_SUCCESS);
            });
        }
        ObservedApp app(L"\"C:\\Downloads\\TolvaneSetup.exe\" /passive /log \"" + Wide(log) +
                        L"\"");
        EXPECT_EQ(static_cast<UINT>(ERROR_SUCCESS), app.RunOnce());

        std::vector<std::string> lines = Lines(ReadFile(log));
        ASSERT_EQ(8u, lines.size()) << ReadFile(log);
        EXPECT_EQ("TolvaneSetup: Command line: \"C:\\Downloads\\TolvaneSetup.exe\" /passive "
                  "/log \"" +
                      log + "\"",
                  lines[0]);
        EXPECT_EQ("TolvaneSetup: Outlook: 64-bit", lines[1]);
        // Which package, its identity and whether this very product is there.
        EXPECT_THAT(lines[2], ::testing::AllOf(::testing::StartsWith("TolvaneSetup: Package "),
                                               ::testing::HasSubstr("\\Q7TolvaneAddinSetup.msi: "
                                                                    "product {"),
                                               ::testing::HasSubstr("}, version "),
                                               ::testing::EndsWith(", not installed")));
        EXPECT_EQ("TolvaneSetup: Windows Installer command line: ACTION=INSTALL Q7STSDATA=\"\"",
                  lines[3]);
        EXPECT_EQ(installerLog, lines[4] + "\r\n" + lines[5] + "\r\n") << fromStart;
        EXPECT_EQ("TolvaneSetup: Windows Installer returned 0", lines[6]);
        EXPECT_EQ("TolvaneSetup: Exit code 0", lines[7]);
        ::testing::Mock::VerifyAndClearExpectations(&scripted.msi);
    }
}

TEST_F(CommandLineFlowTest, LogTellsTheOlderVersionFoundAndTheAnswer) {
    InstallOutlook();
    InstallOlderVersion();
    TempFolder folder;
    const std::string log = folder.path + "\\setup.log";
    boxes.answers = {IDNO};
    ObservedApp app(L"s.exe /log \"" + Wide(log) + L"\"");
    EXPECT_EQ(static_cast<UINT>(ERROR_INSTALL_USEREXIT), app.RunOnce());
    // The interactive run still asks; the question and the answer are logged too.
    ASSERT_EQ(1u, boxes.boxes.size());
    std::string text = ReadFile(log);
    EXPECT_NE(std::string::npos, text.find(std::string("Installed product of the family: ") +
                                           kOldProduct + ", version 0.1, in 'D:\\Old'"))
        << text;
    EXPECT_NE(std::string::npos, text.find("TolvaneSetup: Quorvel Tolvane: The installer has "
                                           "detected that an older version"))
        << text;
    EXPECT_NE(std::string::npos, text.find("The older version is kept")) << text;
    EXPECT_EQ(std::string::npos, text.find("Windows Installer command line")) << text;
}

TEST(CommandLineFlow, LogThatCannotBeCreatedEndsTheRunFirst) {
    for (bool quiet : {false, true}) {
        StrictMock<MockWindowsInstaller> msi; // not even Outlook is looked for
        RecordingMessageBoxHost boxes;
        TempFolder folder;
        const std::string log = folder.path + "\\missing\\setup.log";
        ObservedApp app(std::wstring(L"s.exe ") + (quiet ? L"/quiet " : L"") + L"/log \"" +
                        Wide(log) + L"\"");
        EXPECT_EQ(static_cast<UINT>(ERROR_INSTALL_LOG_FAILURE), app.RunOnce()) << quiet;
        EXPECT_FALSE(Exists(log));
        if (quiet) {
            EXPECT_TRUE(boxes.boxes.empty());
        } else {
            ASSERT_EQ(1u, boxes.boxes.size());
            EXPECT_EQ("Error", boxes.boxes[0].caption);
            EXPECT_NE(std::string::npos, boxes.boxes[0].text.find(log)) << boxes.boxes[0].text;
        }
    }
}

TEST(CommandLineFlow, InvalidCommandLineShowsUsageBeforeAnythingHappens) {
    struct Case {
        const wchar_t* line;
        UINT exitCode;
        const char* text; // nullptr: no box
        UINT type;
    } const cases[] = {
        {L"s.exe /frobnicate", ERROR_INVALID_COMMAND_LINE, "Unknown option '/frobnicate'.\n\n",
         MB_OK | MB_ICONEXCLAMATION},
        {L"s.exe /log", ERROR_INVALID_COMMAND_LINE, "The option /log needs a file name.\n\n",
         MB_OK | MB_ICONEXCLAMATION},
        {L"s.exe /extract a /extract b", ERROR_INVALID_COMMAND_LINE,
         "The option /extract is given twice.\n\n", MB_OK | MB_ICONEXCLAMATION},
        {L"s.exe /quiet /frobnicate", ERROR_INVALID_COMMAND_LINE, nullptr, 0},
        {L"s.exe /help", ERROR_SUCCESS, "", MB_OK | MB_ICONINFORMATION},
        {L"s.exe -? /passive", ERROR_SUCCESS, "", MB_OK | MB_ICONINFORMATION},
        {L"s.exe /? /q", ERROR_SUCCESS, nullptr, 0},
    };
    for (const Case& c : cases) {
        std::string line = FwNarrow(c.line);
        StrictMock<MockWindowsInstaller> msi;
        RecordingMessageBoxHost boxes;
        ObservedApp app(c.line);
        EXPECT_EQ(c.exitCode, app.RunOnce()) << line;
        if (!c.text) {
            EXPECT_TRUE(boxes.boxes.empty()) << line;
            continue;
        }
        ASSERT_EQ(1u, boxes.boxes.size()) << line;
        EXPECT_EQ(std::string(c.text) + CSetupCommandLine::GetUsage(), boxes.boxes[0].text);
        EXPECT_EQ(kCaption, boxes.boxes[0].caption);
        EXPECT_EQ(c.type, boxes.boxes[0].type) << line;
    }
}

TEST(CommandLineFlow, ExtractWritesBothPackagesAndInstallsNothing) {
    StrictMock<MockWindowsInstaller> msi; // no Outlook, no Windows Installer
    RecordingMessageBoxHost boxes;
    DeleteRecord();
    TempFolder folder;
    const std::string target = folder.path + "\\new parent\\packages";
    const std::string x64 = target + "\\QuorvelOutlookTolvane-x64.msi";
    const std::string x86 = target + "\\QuorvelOutlookTolvane-x86.msi";
    const std::wstring line = L"s.exe /extract \"" + Wide(target) + L"\"";
    {
        ObservedApp app(line);
        EXPECT_EQ(static_cast<UINT>(ERROR_SUCCESS), app.RunOnce());
    }
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(ResourceBytes(IDR_MSI_X64), ReadFile(x64));
    EXPECT_EQ(ResourceBytes(IDR_MSI_X86), ReadFile(x86));
    EXPECT_NE(ReadFile(x64), ReadFile(x86));
    EXPECT_FALSE(RecordStored());

    // Identical files are left as they are: a read-only one is not even opened for writing.
    SetFileAttributesA(x64.c_str(), FILE_ATTRIBUTE_READONLY);
    {
        ObservedApp app(line);
        EXPECT_EQ(static_cast<UINT>(ERROR_SUCCESS), app.RunOnce());
    }
    EXPECT_TRUE(boxes.boxes.empty());
    SetFileAttributesA(x64.c_str(), FILE_ATTRIBUTE_NORMAL);

    // Another file in the way: refused before anything is written.
    DeleteFileA(x64.c_str());
    WriteFile(x86, ResourceBytes(IDR_MSI_X86) + "tail");
    {
        ObservedApp app(line);
        EXPECT_EQ(static_cast<UINT>(ERROR_INSTALL_FAILURE), app.RunOnce());
    }
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ("Error", boxes.boxes[0].caption);
    EXPECT_EQ("'" + x86 + "' exists and is not this package; nothing was extracted.",
              boxes.boxes[0].text);
    EXPECT_FALSE(Exists(x64));
    EXPECT_EQ(ResourceBytes(IDR_MSI_X86) + "tail", ReadFile(x86));

    // The same quietly: only the exit code tells.
    boxes.boxes.clear();
    {
        ObservedApp app(L"s.exe /q /extract \"" + Wide(target) + L"\"");
        EXPECT_EQ(static_cast<UINT>(ERROR_INSTALL_FAILURE), app.RunOnce());
    }
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_FALSE(Exists(x64));
}

TEST(CommandLineFlow, ExtractTakesARelativeFolderFromTheCurrentOne) {
    StrictMock<MockWindowsInstaller> msi;
    RecordingMessageBoxHost boxes;
    TempFolder folder;
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.path.c_str()));
    UINT exitCode;
    {
        ObservedApp app(L"s.exe -EXTRACT out\\pkg");
        exitCode = app.RunOnce();
    }
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(static_cast<UINT>(ERROR_SUCCESS), exitCode);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(ResourceBytes(IDR_MSI_X64),
              ReadFile(folder.path + "\\out\\pkg\\QuorvelOutlookTolvane-x64.msi"));
}
