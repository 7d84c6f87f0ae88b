#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

#include "app/Q7TolvaneSetupBootApp.h"
#include "error/Q7Exception.h"
#include "framework/FwGdiplus.h"
#include "installer/MsiSql.h"
#include "tests/unit/installer/InstallerTestSupport.h"
#include "tests/unit/support/MockWindowsInstaller.h"
#include "tests/unit/support/RecordingMessageBoxHost.h"

using ::testing::_;
using ::testing::Return;
using ::testing::StrEq;
using ::testing::Throw;

namespace {

const char kNoOutlook[] =
    "No supported version of Microsoft Outlook detected. Install Microsoft Outlook and retry.";
const char kRecordKey[] = "Software\\Quorvel\\Freeware - OutlookTolvane";

// One Outlook component code of each bitness, and what the setup installs for it.
struct Bitness {
    const char* name;
    const char* component;
    const char* family;      // the embedded package's upgrade code
    const char* german;      // the other edition asked about first
    const char* otherGerman; // the other bitness's, never asked about
} const kX64 = {"x64", "{ECCC8A38-7855-46CA-88FB-3BAA7CD95E56}",
                "{5B0E64C1-2C7D-4E5A-9A51-3F6D2B8A7C11}", "{6D2D659E-56DC-4A5B-BDA4-08BFD40A78C2}",
                "{6A0F7149-4800-4EB7-967A-166EE1C37C70}"},
        kX86 = {"x86", "{DE6A97CD-93BF-455C-A45F-7694344B686F}",
                "{8E3A1F27-6B4C-4D2E-8F90-1A2B3C4D5E6F}", "{6A0F7149-4800-4EB7-967A-166EE1C37C70}",
                "{6D2D659E-56DC-4A5B-BDA4-08BFD40A78C2}"};

// GDI+ as the flow sees it: available or not, each start and stop logged.
class FakeGdiplus : public IFwGdiplusHost {
public:
    explicit FakeGdiplus(std::vector<std::string>& log) : m_log(log) {
        m_previous = FwSetGdiplusHost(this);
    }
    ~FakeGdiplus() override { FwSetGdiplusHost(m_previous); }

    bool Startup(ULONG_PTR* token) override {
        m_log.push_back("gdiplus start");
        if (!available)
            return false;
        *token = 0x5150;
        running = true;
        return true;
    }
    void Shutdown(ULONG_PTR token) override {
        m_log.push_back(token == 0x5150 ? "gdiplus stop" : "gdiplus stop with a wrong token");
        running = false;
    }

    bool available = true;
    bool running = false;

private:
    std::vector<std::string>& m_log;
    IFwGdiplusHost* m_previous;
};

// The application with its finish screen replaced by a log entry (and, when given,
// an action of the test's own).
class FlowApp : public CQ7TolvaneSetupBootApp {
public:
    FlowApp(std::vector<std::string>& log, const FakeGdiplus& gdiplus)
        : m_log(log), m_gdiplus(gdiplus) {}
    std::function<void()> onFinish;

protected:
    void RunFinishScreen() override {
        m_log.push_back(m_gdiplus.running ? "finish screen" : "finish screen without GDI+");
        if (onFinish)
            onFinish();
    }

private:
    std::vector<std::string>& m_log;
    const FakeGdiplus& m_gdiplus;
};

bool RecordStored() {
    bool stored = true;
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRecordKey, 0, KEY_READ | view, &key) !=
            ERROR_SUCCESS) {
            stored = false;
            continue;
        }
        stored = stored && RegQueryValueExA(key, "SourceInfo", nullptr, nullptr, nullptr,
                                            nullptr) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    return stored;
}

void DeleteRecord() {
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kRecordKey, view, 0);
}

class SetupFlowTest : public ::testing::Test {
protected:
    SetupFlowTest() : gdiplus(log) {
        ON_CALL(scripted.msi, LocateComponent(_, _, _)).WillByDefault(Return(INSTALLSTATE_UNKNOWN));
        DeleteRecord();
    }
    ~SetupFlowTest() override { DeleteRecord(); }

    void InstallOutlook(const Bitness& bitness) {
        ON_CALL(scripted.msi, LocateComponent(StrEq(bitness.component), _, _))
            .WillByDefault(Return(INSTALLSTATE_LOCAL));
    }

    // Runs the setup for a 64-bit Outlook whose installation ends with result.
    UINT RunWithResult(UINT result, std::function<void()> onFinish = nullptr) {
        InstallOutlook(kX64);
        ON_CALL(scripted.msi, InstallProduct(_, _)).WillByDefault(Return(result));
        return Run(onFinish);
    }

    UINT Run(std::function<void()> onFinish = nullptr) {
        FlowApp app(log, gdiplus);
        app.onFinish = onFinish;
        EXPECT_FALSE(app.InitInstance());
        log.push_back("exit");
        return static_cast<UINT>(app.ExitInstance());
    }

    ScriptedMsi scripted;
    RecordingMessageBoxHost boxes;
    std::vector<std::string> log;
    FakeGdiplus gdiplus;
};

using Log = std::vector<std::string>;

} // namespace

TEST_F(SetupFlowTest, InstalledProductGetsFinishScreenAndRecord) {
    EXPECT_EQ(static_cast<UINT>(ERROR_SUCCESS), RunWithResult(ERROR_SUCCESS));
    // GDI+ is stopped once, by the exit hook, after the finish screen is gone.
    EXPECT_EQ((Log{"gdiplus start", "finish screen", "exit", "gdiplus stop"}), log);
    EXPECT_TRUE(RecordStored());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SetupFlowTest, RebootResultsStillCountAsInstalled) {
    // A restart already under way leaves no time for the finish screen.
    struct Case {
        UINT result;
        Log expected;
    } const cases[] = {
        {ERROR_SUCCESS_REBOOT_REQUIRED, {"gdiplus start", "finish screen", "exit", "gdiplus stop"}},
        {ERROR_SUCCESS_REBOOT_INITIATED, {"exit"}},
    };
    for (const Case& c : cases) {
        log.clear();
        DeleteRecord();
        EXPECT_EQ(c.result, RunWithResult(c.result));
        EXPECT_EQ(c.expected, log) << c.result;
        EXPECT_TRUE(RecordStored()) << c.result;
    }
}

TEST_F(SetupFlowTest, FailedOrCancelledInstallationShowsNothingFurther) {
    for (UINT result : {ERROR_INSTALL_FAILURE, ERROR_INSTALL_USEREXIT}) {
        log.clear();
        EXPECT_EQ(result, RunWithResult(result));
        EXPECT_EQ((Log{"exit"}), log) << result;
        EXPECT_FALSE(RecordStored()) << result;
        EXPECT_TRUE(boxes.boxes.empty()) << result;
    }
}

TEST_F(SetupFlowTest, WithoutGdiplusTheSourceIsStillRecorded) {
    gdiplus.available = false;
    EXPECT_EQ(static_cast<UINT>(ERROR_SUCCESS), RunWithResult(ERROR_SUCCESS));
    // No finish screen, and nothing to shut down.
    EXPECT_EQ((Log{"gdiplus start", "exit"}), log);
    EXPECT_TRUE(RecordStored());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SetupFlowTest, FailingFinishScreenKeepsTheInstalledCode) {
    for (UINT result : {ERROR_SUCCESS, ERROR_SUCCESS_REBOOT_REQUIRED}) {
        log.clear();
        boxes.boxes.clear();
        EXPECT_EQ(result, RunWithResult(result, [] {
                      throw Error::Q7ExceptionText("Failed to create directory 'T:\\{X}'", nullptr,
                                                   0);
                  }));
        ASSERT_EQ(1u, boxes.boxes.size());
        EXPECT_EQ("Error", boxes.boxes[0].caption);
        EXPECT_EQ("Failed to create directory 'T:\\{X}'", boxes.boxes[0].text);
        // The record is not written after the failure; GDI+ still stops once.
        EXPECT_FALSE(RecordStored());
        EXPECT_EQ((Log{"gdiplus start", "finish screen", "exit", "gdiplus stop"}), log);
    }
}

TEST_F(SetupFlowTest, ProbeChoosesThePackageOfOutlooksBitness) {
    for (const Bitness* bitness : {&kX64, &kX86}) {
        ScriptedMsi machine;
        ON_CALL(machine.msi, LocateComponent(_, _, _)).WillByDefault(Return(INSTALLSTATE_UNKNOWN));
        ON_CALL(machine.msi, LocateComponent(StrEq(bitness->component), _, _))
            .WillByDefault(Return(INSTALLSTATE_LOCAL));
        EXPECT_CALL(machine.msi, EnumRelatedProducts(_, _, _, _)).Times(::testing::AnyNumber());
        EXPECT_CALL(machine.msi, EnumRelatedProducts(StrEq(bitness->german), _, _, _));
        EXPECT_CALL(machine.msi, EnumRelatedProducts(StrEq(bitness->otherGerman), _, _, _))
            .Times(0);
        std::string installedFamily;
        EXPECT_CALL(machine.msi, InstallProduct(_, _))
            .WillOnce([&](const char* package, const char*) {
                CMsiSql reader;
                installedFamily = reader.ReadProperty(package, "UpgradeCode");
                return static_cast<UINT>(ERROR_SUCCESS);
            });
        EXPECT_EQ(static_cast<UINT>(ERROR_SUCCESS), Run());
        EXPECT_EQ(bitness->family, installedFamily) << bitness->name;
    }
}

TEST_F(SetupFlowTest, RefusalsEndWithTheirOwnCodes) {
    // Another language edition of the same bitness.
    InstallOutlook(kX64);
    ScriptRelated(scripted.msi, kX64.german, "{11111111-1111-1111-1111-111111111111}");
    EXPECT_CALL(scripted.msi, InstallProduct(_, _)).Times(0);
    EXPECT_EQ(static_cast<UINT>(ERROR_PRODUCT_VERSION), Run());
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_NE(std::string::npos, boxes.boxes[0].text.find("german"));

    // An older version the user declines to replace.
    ON_CALL(scripted.msi, EnumRelatedProducts(StrEq(kX64.german), _, _, _))
        .WillByDefault(Return(ERROR_NO_MORE_ITEMS));
    ScriptRelated(scripted.msi, kX64.family, "{9D1A3C55-0B7E-4F62-8A19-2C4E6F8A0B13}");
    ScriptProductInfo(scripted.msi, "{9D1A3C55-0B7E-4F62-8A19-2C4E6F8A0B13}", "VersionString",
                      "0.1");
    boxes.answers = {IDNO};
    EXPECT_EQ(static_cast<UINT>(ERROR_INSTALL_USEREXIT), Run());
    ASSERT_EQ(2u, boxes.boxes.size()); // the edition message, then the question
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), boxes.boxes[1].type);
    EXPECT_FALSE(RecordStored());
    EXPECT_EQ((Log{"exit", "exit"}), log);
}

TEST_F(SetupFlowTest, ErrorBeforeInstallingIsAFatalError) {
    InstallOutlook(kX64);
    // The package cannot be read: msi.dll's database functions are missing.
    ON_CALL(scripted.msi, CheckDatabaseFunctions()).WillByDefault(Return(ERROR_PROC_NOT_FOUND));
    EXPECT_CALL(scripted.msi, InstallProduct(_, _)).Times(0);
    EXPECT_EQ(static_cast<UINT>(ERROR_INSTALL_FAILURE), Run());
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ("Error", boxes.boxes[0].caption);
    EXPECT_FALSE(RecordStored());
}

TEST(SetupFlow, NoOutlookShowsOneMessageAndStops) {
    MockWindowsInstaller msi;
    RecordingMessageBoxHost boxes;
    EXPECT_CALL(msi, LocateComponent(_, _, _))
        .Times(10)
        .WillRepeatedly(Return(INSTALLSTATE_UNKNOWN));
    EXPECT_CALL(msi, EnumRelatedProducts(_, _, _, _)).Times(0);
    EXPECT_CALL(msi, InstallProduct(_, _)).Times(0);

    CQ7TolvaneSetupBootApp app;
    EXPECT_FALSE(app.InitInstance());
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(kNoOutlook, boxes.boxes[0].text);
    EXPECT_EQ("Quorvel Tolvane", boxes.boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), boxes.boxes[0].type);
    // GDI+ was never started, so the exit hook has nothing to shut down.
    EXPECT_EQ(0u, app.GetGdiplusToken());
    EXPECT_EQ(ERROR_INSTALL_PLATFORM_UNSUPPORTED, app.ExitInstance());
}

TEST(SetupFlow, SystemExceptionIsReportedInErrorBox) {
    MockWindowsInstaller msi;
    RecordingMessageBoxHost boxes;
    EXPECT_CALL(msi, LocateComponent(_, _, _))
        .WillOnce(Throw(Error::Q7ExceptionCommon(5, "Probing Outlook.", nullptr, 0)));

    CQ7TolvaneSetupBootApp app;
    EXPECT_FALSE(app.InitInstance());
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ("Error", boxes.boxes[0].caption);
    EXPECT_NE(std::string::npos, boxes.boxes[0].text.find("(0x5)\n\nProbing Outlook."));
    EXPECT_EQ(0x50010u, boxes.boxes[0].type);
    EXPECT_EQ(ERROR_INSTALL_FAILURE, app.ExitInstance());
}

TEST(SetupFlow, OtherExceptionsGetTheCatchAllMessage) {
    MockWindowsInstaller msi;
    RecordingMessageBoxHost boxes;
    EXPECT_CALL(msi, LocateComponent(_, _, _))
        .WillOnce(Throw(std::runtime_error("boom")))
        .WillOnce(Throw(std::bad_alloc()));

    for (int run = 0; run < 2; ++run) {
        CQ7TolvaneSetupBootApp app;
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(ERROR_INSTALL_FAILURE, app.ExitInstance());
    }
    ASSERT_EQ(2u, boxes.boxes.size());
    for (const RecordedBox& box : boxes.boxes) {
        EXPECT_EQ("Uncpecified error while installing Quorvel Outlook Tolvane.", box.text);
        EXPECT_EQ("Quorvel Tolvane", box.caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), box.type);
    }
}
