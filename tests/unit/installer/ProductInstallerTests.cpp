#include <gtest/gtest.h>

#include "error/Q7Exception.h"
#include "framework/FwResources.h"
#include "installer/MsiSql.h"
#include "installer/ProductInstaller.h"
#include "res/resource.h"
#include "tests/unit/installer/InstallerTestSupport.h"
#include "tests/unit/support/RecordingMessageBoxHost.h"

using ::testing::_;
using ::testing::Return;
using ::testing::StrEq;

namespace {

const char kOld[] = "{9D1A3C55-0B7E-4F62-8A19-2C4E6F8A0B13}";

CRefCountPtr<CMsiPackageDesc> NewPackage() {
    return MakeRefCounted<CMsiPackageDesc>(kTestPackage, "Q7TolvaneAddinSetup.msi", 0, true);
}

// Features and extra properties as a subclass would give them.
class FeatureInstaller : public CProductInstallerBase {
public:
    FeatureInstaller(CRefCountPtr<CMsiPackageDesc> package, std::vector<std::string> features,
                     std::string extra = "")
        : CProductInstallerBase(false, package), m_features(std::move(features)) {
        m_extraProperties = std::move(extra);
    }
    FeatureList GetFeatures() override {
        FeatureList list;
        list.names = m_features;
        return list;
    }

private:
    std::vector<std::string> m_features;
};

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct MachineState {
    const char* name;
    bool productInstalled;
    const char* olderVersion; // installed version of the family, "" for none
    std::vector<std::string> features;
    std::deque<int> answers;
    const char* expected; // nullptr: nothing installed
    size_t questions;
};

class ProductInstallerTest : public ::testing::Test {
protected:
    // Installs package per state; returns the command line passed, or "<none>".
    std::string Run(const MachineState& state, bool* succeeded = nullptr) {
        ScriptedMsi scripted;
        RecordingMessageBoxHost boxes;
        boxes.answers = state.answers;
        if (state.productInstalled)
            ON_CALL(scripted.msi, EnumProducts(_, _))
                .WillByDefault(InstalledProducts({kOld, kTestProductCode}));
        if (*state.olderVersion) {
            ScriptRelated(scripted.msi, kTestUpgradeCode, kOld);
            ScriptProductInfo(scripted.msi, kOld, "VersionString", state.olderVersion);
            ScriptProductInfo(scripted.msi, kOld, "InstallLocation", "D:\\Old");
        }
        std::string passed = "<none>";
        ON_CALL(scripted.msi, InstallProduct(_, _))
            .WillByDefault([&](const char*, const char* commandLine) {
                passed = commandLine;
                return static_cast<UINT>(ERROR_SUCCESS);
            });
        FeatureInstaller installer(NewPackage(), state.features);
        bool ok = static_cast<bool>(installer.Proceed());
        if (succeeded)
            *succeeded = ok;
        EXPECT_EQ(state.questions, boxes.boxes.size()) << state.name;
        return passed;
    }
};

} // namespace

TEST_F(ProductInstallerTest, ComposesTheCommandLineForTheMachineState) {
    const MachineState states[] = {
        {"fresh", false, "", {}, {}, "ACTION=INSTALL Q7STSDATA=\"\"", 0},
        {"repair", true, "", {}, {}, "ACTION=INSTALL REINSTALL=ALL REINSTALLMODE=vomus", 0},
        {"fresh with features",
         false,
         "",
         {"Alpha", "", "Gamma"},
         {},
         "ACTION=INSTALL ADDLOCAL=Alpha,Gamma Q7STSDATA=\"\"",
         0},
        {"repair with features",
         true,
         "",
         {"Alpha", "", "Gamma"},
         {},
         "ACTION=INSTALL REINSTALL=Alpha,Gamma REINSTALLMODE=vomus",
         0},
        {"older, Yes",
         false,
         "1.0.0",
         {},
         {IDYES},
         "ACTION=INSTALL Q7STSDATA=\"\" OLDINSTALLATIONPATH=\"D:\\Old\"",
         1},
        {"older, No", false, "1.0.0", {}, {IDNO}, nullptr, 1},
        {"repair and older, Yes",
         true,
         "1.2.2",
         {},
         {IDYES},
         "ACTION=INSTALL REINSTALL=ALL REINSTALLMODE=vomus OLDINSTALLATIONPATH=\"D:\\Old\"",
         1},
        {"same version", false, "1.2.3", {}, {}, "ACTION=INSTALL Q7STSDATA=\"\"", 0},
        {"newer", true, "1.10", {}, {}, "ACTION=INSTALL REINSTALL=ALL REINSTALLMODE=vomus", 0},
        {"empty feature first",
         false,
         "",
         {"", "Beta"},
         {},
         "ACTION=INSTALL ADDLOCAL=Beta Q7STSDATA=\"\"",
         0},
    };
    for (const MachineState& state : states) {
        bool ok = false;
        std::string passed = Run(state, &ok);
        EXPECT_EQ(state.expected ? state.expected : "<none>", passed) << state.name;
        EXPECT_EQ(state.expected != nullptr, ok) << state.name;
    }
}

TEST_F(ProductInstallerTest, ProductCodeDifferingInCaseIsAnotherProduct) {
    ScriptedMsi scripted;
    std::string lower = kTestProductCode;
    for (char& c : lower)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    ON_CALL(scripted.msi, EnumProducts(_, _)).WillByDefault(InstalledProducts({lower}));
    CProductInstaller installer(NewPackage(), false);
    EXPECT_CALL(scripted.msi, InstallProduct(_, StrEq("ACTION=INSTALL Q7STSDATA=\"\"")));
    EXPECT_TRUE(installer.Proceed());
    EXPECT_FALSE(installer.IsProductInstalled());
}

TEST_F(ProductInstallerTest, QuestionComesAfterBaseCommandLineAndUiLevel) {
    class Observing : public CProductInstallerBase {
    public:
        using CProductInstallerBase::CProductInstallerBase;
        bool ConfirmReplace() override {
            commandLineAtQuestion = GetCommandLine();
            uiSetAtQuestion = *uiSet;
            return CProductInstallerBase::ConfirmReplace();
        }
        std::string commandLineAtQuestion;
        bool uiSetAtQuestion = false;
        bool* uiSet = nullptr;
    };
    ScriptedMsi scripted;
    RecordingMessageBoxHost boxes; // answers No
    ScriptRelated(scripted.msi, kTestUpgradeCode, kOld);
    ScriptProductInfo(scripted.msi, kOld, "VersionString", "1.0");
    bool uiSet = false;
    EXPECT_CALL(scripted.msi, SetInternalUI(INSTALLUILEVEL_FULL, _))
        .WillOnce([&](INSTALLUILEVEL, HWND* owner) {
            uiSet = true;
            EXPECT_EQ(nullptr, *owner);
            return INSTALLUILEVEL_BASIC;
        });
    EXPECT_CALL(scripted.msi, InstallProduct(_, _)).Times(0);

    auto package = NewPackage();
    const Q7FsPath path = package->GetPath();
    {
        Observing installer(false, package);
        installer.uiSet = &uiSet;
        package.Reset();
        EXPECT_FALSE(installer.Proceed());
        EXPECT_EQ("ACTION=INSTALL Q7STSDATA=\"\"", installer.commandLineAtQuestion);
        EXPECT_TRUE(installer.uiSetAtQuestion);
    }
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(FwLoadString(IDS_CONFIRM_REPLACE), boxes.boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), boxes.boxes[0].type);
    // Declined: the package stays in the cache.
    EXPECT_TRUE(FileExists(path));
}

TEST_F(ProductInstallerTest, PlainInstallerReplacesWithoutAsking) {
    ScriptedMsi scripted;
    RecordingMessageBoxHost boxes;
    ScriptRelated(scripted.msi, kTestUpgradeCode, kOld);
    ScriptProductInfo(scripted.msi, kOld, "VersionString", "1.0");
    ScriptProductInfo(scripted.msi, kOld, "InstallLocation", "C:\\Program Files\\Old\\");
    EXPECT_CALL(scripted.msi,
                InstallProduct(_, StrEq("ACTION=INSTALL Q7STSDATA=\"\" "
                                        "OLDINSTALLATIONPATH=\"C:\\Program Files\\Old\\\"")));
    CProductInstaller installer(NewPackage(), false);
    EXPECT_TRUE(installer.Proceed());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(ProductInstallerTest, ExtraPropertiesGoLastUnchanged) {
    ScriptedMsi scripted;
    EXPECT_CALL(scripted.msi, InstallProduct(_, StrEq("ACTION=INSTALL Q7STSDATA=\"\" X=1")));
    FeatureInstaller installer(NewPackage(), {}, " X=1");
    EXPECT_TRUE(installer.Proceed());
}

TEST_F(ProductInstallerTest, SuccessAndRebootResultsCountAsInstalled) {
    struct Outcome {
        UINT result;
        bool installed;
    } const outcomes[] = {
        {ERROR_SUCCESS, true},
        {ERROR_SUCCESS_REBOOT_REQUIRED, true},
        {ERROR_SUCCESS_REBOOT_INITIATED, true},
        {ERROR_INSTALL_USEREXIT, false},
        {ERROR_INSTALL_FAILURE, false},
        {ERROR_INSTALL_SUSPEND, false},
    };
    for (const Outcome& outcome : outcomes) {
        ScriptedMsi scripted;
        auto package = NewPackage();
        CProductInstaller installer(package, false);
        EXPECT_CALL(scripted.msi, InstallProduct(StrEq(package->GetPath()), _))
            .WillOnce(Return(outcome.result));
        CRefCountPtr<CMsiPackageDesc> installed = installer.Proceed();
        EXPECT_EQ(outcome.installed ? package.Get() : nullptr, installed.Get()) << outcome.result;
        EXPECT_EQ(outcome.installed, IsInstalledResult(outcome.result)) << outcome.result;
        EXPECT_EQ(outcome.result, installer.GetInstallResult());
    }
}

TEST_F(ProductInstallerTest, DeclinedOrRefusedInstallationIsTheUsersCancel) {
    class Refusing : public CProductInstaller {
    public:
        using CProductInstaller::CProductInstaller;
        bool CanProceed() override { return false; }
    };
    {
        ScriptedMsi scripted;
        Refusing installer(NewPackage(), false);
        EXPECT_FALSE(installer.Proceed());
        EXPECT_EQ(static_cast<UINT>(ERROR_INSTALL_USEREXIT), installer.GetInstallResult());
    }
    ScriptedMsi scripted;
    RecordingMessageBoxHost boxes; // answers No
    ScriptRelated(scripted.msi, kTestUpgradeCode, kOld);
    ScriptProductInfo(scripted.msi, kOld, "VersionString", "1.0");
    CProductInstallerBase installer(false, NewPackage());
    EXPECT_FALSE(installer.Proceed());
    EXPECT_EQ(static_cast<UINT>(ERROR_INSTALL_USEREXIT), installer.GetInstallResult());
}

TEST_F(ProductInstallerTest, QuotesInValuesAreDoubled) {
    EXPECT_EQ("\"\"", MsiQuotedValue(""));
    EXPECT_EQ("\"C:\\Program Files\\\"", MsiQuotedValue("C:\\Program Files\\"));
    EXPECT_EQ("\"a\"\"b\"\"\"\"\"", MsiQuotedValue("a\"b\"\""));
}

TEST_F(ProductInstallerTest, QuoteInTheOldLocationAddsNoProperty) {
    // A location registered by a hostile package: one quote would end the value
    // and pass a transform of its own choosing.
    const std::string location = "C:\\x\" TRANSFORMS=\"\\\\evil\\t.mst";
    ScriptedMsi scripted;
    ScriptRelated(scripted.msi, kTestUpgradeCode, kOld);
    ScriptProductInfo(scripted.msi, kOld, "VersionString", "1.0");
    ScriptProductInfo(scripted.msi, kOld, "InstallLocation", location);
    EXPECT_CALL(
        scripted.msi,
        InstallProduct(_, StrEq("ACTION=INSTALL Q7STSDATA=\"\" OLDINSTALLATIONPATH=\"C:\\x\"\" "
                                "TRANSFORMS=\"\"\\\\evil\\t.mst\"")));
    CProductInstaller installer(NewPackage(), false);
    EXPECT_TRUE(installer.Proceed());
}

TEST_F(ProductInstallerTest, PackageCannotBeChangedWhileWindowsInstallerRuns) {
    ScriptedMsi scripted;
    auto package =
        MakeRefCounted<CMsiPackageDesc>(kTestPackage, "Q7TolvaneAddinSetup.msi", 0, false);
    const Q7FsPath path = package->GetPath();
    bool checked = false;
    EXPECT_CALL(scripted.msi, InstallProduct(StrEq(path), _))
        .WillOnce([&](const char* file, const char*) {
            for (DWORD access : {static_cast<DWORD>(GENERIC_WRITE), static_cast<DWORD>(DELETE)}) {
                HANDLE other = CreateFileA(file, access,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, 0, nullptr);
                EXPECT_EQ(INVALID_HANDLE_VALUE, other) << access;
                EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
                if (other != INVALID_HANDLE_VALUE)
                    CloseHandle(other);
            }
            EXPECT_FALSE(DeleteFileA(file));
            EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
            EXPECT_FALSE(MoveFileA(file, (std::string(file) + ".swapped").c_str()));
            EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
            // Readers that share reading, as Windows Installer does, still get in.
            HANDLE reader = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        0, nullptr);
            EXPECT_NE(INVALID_HANDLE_VALUE, reader);
            if (reader != INVALID_HANDLE_VALUE)
                CloseHandle(reader);
            CMsiSql sql;
            EXPECT_EQ(kTestProductCode, sql.ReadProperty(file, "ProductCode"));
            checked = true;
            return static_cast<UINT>(ERROR_SUCCESS);
        });
    {
        CProductInstaller installer(package, false);
        package.Reset();
        EXPECT_TRUE(installer.Proceed());
    }
    EXPECT_TRUE(checked);
    // The last reference closed the file before deleting it.
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
}

TEST_F(ProductInstallerTest, LogIsWrittenOnlyWhenAsked) {
    {
        ScriptedMsi scripted;
        EXPECT_CALL(scripted.msi, EnableLog(0x3fdf, StrEq("c:\\Q7TolvaneAddinSetup.log"), 0u));
        CProductInstaller installer(NewPackage(), true);
        installer.Proceed();
    }
    {
        ScriptedMsi scripted;
        EXPECT_CALL(scripted.msi, EnableLog(_, _, _)).Times(0);
        CProductInstallerBase installer(false, NewPackage());
        installer.Proceed();
    }
}

TEST_F(ProductInstallerTest, RunLogTakesTheFixedLogsPlaceAndIsEnabledLast) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string path = std::string(temp) + "tolvane installer run.log";
    CInstallLog log;
    ASSERT_TRUE(log.Create(path));
    {
        ScriptedMsi scripted;
        ::testing::InSequence order;
        EXPECT_CALL(scripted.msi, SetInternalUI(INSTALLUILEVEL_NONE, _));
        // Only after the setup's own lines, and appending to them.
        EXPECT_CALL(scripted.msi, EnableLog(0x3fdf, StrEq(path), INSTALLLOGATTRIBUTES_APPEND));
        EXPECT_CALL(scripted.msi, InstallProduct(_, _)).WillOnce(Return(ERROR_INSTALL_FAILURE));
        CProductInstaller installer(NewPackage(), true);
        installer.SetUILevel(INSTALLUILEVEL_NONE);
        installer.SetLog(&log);
        EXPECT_FALSE(installer.Proceed());
    }
    std::string text;
    {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        char buffer[4096];
        DWORD read = 0;
        ReadFile(file, buffer, sizeof buffer, &read, nullptr);
        CloseHandle(file);
        text.assign(buffer, read);
    }
    DeleteFileA(path.c_str());
    size_t commandLine = text.find("TolvaneSetup: Windows Installer command line: ACTION=INSTALL "
                                   "Q7STSDATA=\"\"\r\n");
    size_t result = text.find("TolvaneSetup: Windows Installer returned 1603\r\n");
    EXPECT_NE(std::string::npos, commandLine) << text;
    EXPECT_NE(std::string::npos, result) << text;
    EXPECT_LT(commandLine, result) << text;
}

TEST_F(ProductInstallerTest, CanProceedFalseStopsAfterUiLevel) {
    class Refusing : public CProductInstaller {
    public:
        using CProductInstaller::CProductInstaller;
        bool CanProceed() override { return false; }
    };
    ScriptedMsi scripted;
    EXPECT_CALL(scripted.msi, SetInternalUI(INSTALLUILEVEL_FULL, _));
    EXPECT_CALL(scripted.msi, InstallProduct(_, _)).Times(0);
    Refusing installer(NewPackage(), false);
    EXPECT_FALSE(installer.Proceed());
}

TEST_F(ProductInstallerTest, NoPackageToChooseRaises) {
    ::testing::StrictMock<MockWindowsInstaller> msi;
    CProductInstaller installer(CRefCountPtr<CMsiPackageDesc>(), false);
    try {
        installer.Proceed();
        FAIL() << "no exception";
    } catch (const Error::Q7ExceptionText& e) {
        EXPECT_EQ("Failed to find product to be installed.", e.GetMessage());
        EXPECT_EQ("ProductInstaller", e.GetFile());
        EXPECT_EQ("CProductInstaller::Proceed", e.GetFunction());
        EXPECT_EQ(45, e.GetLine());
    }
}

TEST_F(ProductInstallerTest, BrokenPackageFailsAtTheUpgradeCodeRead) {
    ScriptedMsi scripted;
    EXPECT_CALL(scripted.msi, InstallProduct(_, _)).Times(0);
    CRefCountPtr<CMsiPackageDesc> broken =
        MakeRefCounted<CMsiPackageDesc>(999, "Broken.msi", 0, false);
    CProductInstallerBase installer(false, broken);
    try {
        installer.Proceed();
        FAIL() << "no exception";
    } catch (const Error::Q7ExceptionText& e) {
        EXPECT_EQ("Failed to read 'UpgradeCode' property from file '" + broken->GetPath() + "'",
                  e.GetMessage());
    }
}
