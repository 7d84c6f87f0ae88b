#include <gtest/gtest.h>

#include "installer/ProductFinder2.h"
#include "tests/unit/installer/InstallerTestSupport.h"

using ::testing::_;
using ::testing::Return;
using ::testing::StrEq;

namespace {

const char kFamily[] = "{5B0E64C1-2C7D-4E5A-9A51-3F6D2B8A7C11}";
const char kOld[] = "{9D1A3C55-0B7E-4F62-8A19-2C4E6F8A0B13}";

// An older product of the family whose cached package lists INSTALLDIR components
// (records 31 and 32), with the component paths given.
struct CachedPackage {
    explicit CachedPackage(MockWindowsInstaller& msi) : m_msi(msi) {
        ScriptProductInfo(msi, kOld, "LocalPackage", "C:\\windows\\Installer\\1a2b.msi");
        ON_CALL(msi, OpenDatabase(StrEq("C:\\windows\\Installer\\1a2b.msi"), nullptr, _))
            .WillByDefault([](const char*, const char*, MSIHANDLE* handle) {
                *handle = 10;
                return static_cast<UINT>(ERROR_SUCCESS);
            });
        ON_CALL(msi, DatabaseOpenView(10,
                                      StrEq("SELECT ComponentId FROM Component WHERE "
                                            "Directory_='INSTALLDIR'"),
                                      _))
            .WillByDefault([](MSIHANDLE, const char*, MSIHANDLE* handle) {
                *handle = 20;
                return static_cast<UINT>(ERROR_SUCCESS);
            });
        ON_CALL(msi, ViewExecute(20, 0)).WillByDefault(Return(ERROR_SUCCESS));
        ON_CALL(msi, ViewFetch(20, _)).WillByDefault([this](MSIHANDLE, MSIHANDLE* handle) {
            if (m_fetched >= components.size())
                return static_cast<UINT>(ERROR_NO_MORE_ITEMS);
            *handle = static_cast<MSIHANDLE>(31 + m_fetched++);
            return static_cast<UINT>(ERROR_SUCCESS);
        });
        ON_CALL(msi, RecordGetString(_, 1, _, _))
            .WillByDefault([this](MSIHANDLE record, UINT, char* buffer, DWORD* size) {
                return SizedValue{components.at(record - 31)}(buffer, size);
            });
        ON_CALL(msi, CloseHandle(_)).WillByDefault([this](MSIHANDLE handle) {
            closed.push_back(handle);
            return static_cast<UINT>(ERROR_SUCCESS);
        });
    }

    MockWindowsInstaller& m_msi;
    std::vector<std::string> components;
    std::vector<MSIHANDLE> closed;
    size_t m_fetched = 0;
};

class ProductFinderTest : public ::testing::Test {
protected:
    ProductFinderTest() { ScriptEmptyMachine(msi); }

    void InstallOld(const char* version) {
        ScriptRelated(msi, kFamily, kOld);
        ScriptProductInfo(msi, kOld, "VersionString", version);
    }

    ::testing::NiceMock<MockWindowsInstaller> msi;
};

} // namespace

TEST(ProductFinder, EmptyUpgradeCodeAsksNothing) {
    ::testing::StrictMock<MockWindowsInstaller> msi;
    CProductFinder2 finder("");
    EXPECT_EQ("", finder.GetProductCode());
    EXPECT_FALSE(finder.IsOlderThan(CVersionNumber("9", ".,")));
}

TEST_F(ProductFinderTest, NothingInstalledLeavesEveryFieldEmpty) {
    CProductFinder2 finder(kFamily);
    for (const std::string& field :
         {finder.GetUpgradeCode(), finder.GetProductCode(), finder.GetProductName(),
          finder.GetInstallLocation(), finder.GetPublisher(), finder.GetVersionString(),
          finder.GetVersionMajor(), finder.GetVersionMinor(), finder.GetInstallDate()})
        EXPECT_EQ("", field);
    EXPECT_FALSE(finder.IsOlderThan(CVersionNumber("1", ".,")));
}

TEST_F(ProductFinderTest, GathersTheFirstRelatedProduct) {
    InstallOld("1.1.9");
    ScriptProductInfo(msi, kOld, "ProductName", "Quorvel Outlook Tolvane");
    ScriptProductInfo(msi, kOld, "Publisher", "Quorvel");
    ScriptProductInfo(msi, kOld, "VersionMajor", "1");
    ScriptProductInfo(msi, kOld, "VersionMinor", "1");
    ScriptProductInfo(msi, kOld, "InstallDate", "20240131");
    EXPECT_CALL(msi, EnumRelatedProducts(StrEq(kFamily), 0, 0, _));
    EXPECT_CALL(msi, EnumRelatedProducts(_, _, 1, _)).Times(0);

    CProductFinder2 finder(kFamily);
    EXPECT_EQ(kFamily, finder.GetUpgradeCode());
    EXPECT_EQ(kOld, finder.GetProductCode());
    EXPECT_EQ("Quorvel Outlook Tolvane", finder.GetProductName());
    EXPECT_EQ("Quorvel", finder.GetPublisher());
    EXPECT_EQ("1.1.9", finder.GetVersionString());
    EXPECT_EQ("1", finder.GetVersionMajor());
    EXPECT_EQ("1", finder.GetVersionMinor());
    EXPECT_EQ("20240131", finder.GetInstallDate());
}

TEST_F(ProductFinderTest, ComparesTheInstalledVersion) {
    struct Case {
        const char* installed;
        const char* package;
        bool older;
    } cases[] = {
        {"1.2.0", "1.2", false},
        {"1.1.9", "1.2", true},
        {"2.0", "1.9.9", false},
        {"", "1.0", false},
        // Longer than any small buffer: read whole, so 8.10 beats 8.9.
        {"1.2.3.4.5.6.7.8.10", "1.2.3.4.5.6.7.8.9", false},
        {"1.2.3.4.5.6.7.8.9", "1.2.3.4.5.6.7.8.10", true},
    };
    for (const Case& c : cases) {
        ::testing::NiceMock<MockWindowsInstaller> local;
        ScriptEmptyMachine(local);
        ScriptRelated(local, kFamily, kOld);
        if (*c.installed)
            ScriptProductInfo(local, kOld, "VersionString", c.installed);
        CProductFinder2 finder(kFamily);
        EXPECT_EQ(c.older, finder.IsOlderThan(CVersionNumber(c.package, ".,")))
            << c.installed << " vs " << c.package;
    }
}

TEST_F(ProductFinderTest, LongVersionIsReadWholeNotTruncated) {
    // Cut anywhere, the installed version would read 2.0.0...0 and so count as
    // older; whole, its last component 10 is newer than 9.
    std::string zeros;
    for (int i = 0; i < 148; ++i)
        zeros += ".0";
    const std::string installed = "2" + zeros + ".10";
    ScriptRelated(msi, kFamily, kOld);
    std::vector<DWORD> offered;
    ON_CALL(msi, GetProductInfo(StrEq(kOld), StrEq("VersionString"), _, _))
        .WillByDefault([&](const char*, const char*, char* buffer, DWORD* size) {
            return SizedValue{installed, &offered}(buffer, size);
        });
    CProductFinder2 finder(kFamily);
    offered.clear();
    EXPECT_FALSE(finder.IsOlderThan(CVersionNumber("2" + zeros + ".9", ".,")));
    EXPECT_EQ((std::vector<DWORD>{260, static_cast<DWORD>(installed.size() + 1)}), offered);
}

TEST_F(ProductFinderTest, RecordedInstallLocationIsReturnedUnchanged) {
    InstallOld("1.0");
    ScriptProductInfo(msi, kOld, "InstallLocation", "C:\\Program Files\\Quorvel\\Old\\");
    EXPECT_CALL(msi, OpenDatabase(_, _, _)).Times(0);
    CProductFinder2 finder(kFamily);
    EXPECT_EQ("C:\\Program Files\\Quorvel\\Old\\", finder.GetInstallLocation());
}

TEST_F(ProductFinderTest, LongValueIsReadWholeAfterOneRetry) {
    InstallOld("1.0");
    const std::string location = "C:\\" + std::string(300, 'x') + "\\";
    std::vector<DWORD> offered;
    ON_CALL(msi, GetProductInfo(StrEq(kOld), StrEq("InstallLocation"), _, _))
        .WillByDefault([&](const char*, const char*, char* buffer, DWORD* size) {
            return SizedValue{location, &offered}(buffer, size);
        });
    CProductFinder2 finder(kFamily);
    EXPECT_EQ(location, finder.GetInstallLocation());
    EXPECT_EQ((std::vector<DWORD>{260, static_cast<DWORD>(location.size() + 1)}), offered);
}

TEST_F(ProductFinderTest, ValueThatNeverFitsIsGivenUpAfterBoundedGrowths) {
    // What the callee claims to need: always more than offered, the largest size
    // (whose terminator would wrap to 0), or nothing new.
    struct Claim {
        const char* name;
        DWORD (*needed)(DWORD offered);
    } const claims[] = {
        {"twice the offer", [](DWORD offered) { return offered * 2; }},
        {"largest size", [](DWORD) { return static_cast<DWORD>(0xFFFFFFFF); }},
        {"same size", [](DWORD offered) { return offered; }},
    };
    for (const Claim& claim : claims) {
        InstallOld("1.0");
        std::vector<DWORD> offered;
        ON_CALL(msi, GetProductInfo(StrEq(kOld), StrEq("InstallLocation"), _, _))
            .WillByDefault([&](const char*, const char*, char* buffer, DWORD* size) {
                offered.push_back(*size);
                std::memset(buffer, 'x', *size); // no terminator: the reader adds its own
                *size = claim.needed(*size);
                return static_cast<UINT>(ERROR_MORE_DATA);
            });
        CProductFinder2 finder(kFamily);
        EXPECT_EQ("", finder.GetInstallLocation()) << claim.name;
        ASSERT_FALSE(offered.empty());
        EXPECT_LE(offered.size(), 9u) << claim.name;
        EXPECT_LE(offered.back(), 1u << 20) << claim.name;
    }
}

TEST_F(ProductFinderTest, MissingLocationIsTheFolderOfTheFirstInstallDirComponent) {
    InstallOld("1.0");
    CachedPackage cached(msi);
    cached.components = {"{C0000001-0000-0000-0000-000000000000}", "",
                         "{C0000002-0000-0000-0000-000000000000}"};
    EXPECT_CALL(
        msi, GetComponentPath(StrEq(kOld), StrEq("{C0000001-0000-0000-0000-000000000000}"), _, _))
        .WillOnce([](const char*, const char*, char* buffer, DWORD* size) {
            std::strcpy(buffer, "C:\\Program Files\\Quorvel\\Old\\Q7OutlookTolvane.addin");
            *size = 49;
            return INSTALLSTATE_LOCAL;
        });
    CProductFinder2 finder(kFamily);
    EXPECT_EQ("C:\\Program Files\\Quorvel\\Old\\", finder.GetInstallLocation());
    // Each record closed before the next fetch, then view and database.
    EXPECT_EQ((std::vector<MSIHANDLE>{31, 32, 33, 20, 10}), cached.closed);
}

TEST_F(ProductFinderTest, ComponentPathThatDoesNotFitIsRetried) {
    InstallOld("1.0");
    CachedPackage cached(msi);
    cached.components = {"{C0000001-0000-0000-0000-000000000000}"};
    const std::string path = "D:\\" + std::string(280, 'd') + "\\file.txt";
    int calls = 0;
    ON_CALL(msi, GetComponentPath(_, _, _, _))
        .WillByDefault([&](const char*, const char*, char* buffer, DWORD* size) {
            ++calls;
            return SizedValue{path}(buffer, size) == ERROR_MORE_DATA ? INSTALLSTATE_MOREDATA
                                                                     : INSTALLSTATE_LOCAL;
        });
    CProductFinder2 finder(kFamily);
    EXPECT_EQ("D:\\" + std::string(280, 'd') + "\\", finder.GetInstallLocation());
    EXPECT_EQ(2, calls);
}

TEST_F(ProductFinderTest, NoLocationWithoutInstallDirComponentsOrCachedPackage) {
    InstallOld("1.0");
    {
        CachedPackage cached(msi); // lists nothing
        EXPECT_CALL(msi, GetComponentPath(_, _, _, _)).Times(0);
        CProductFinder2 finder(kFamily);
        EXPECT_EQ("", finder.GetInstallLocation());
        EXPECT_EQ((std::vector<MSIHANDLE>{20, 10}), cached.closed);
    }
    ::testing::NiceMock<MockWindowsInstaller> missing;
    ScriptEmptyMachine(missing);
    ScriptRelated(missing, kFamily, kOld);
    EXPECT_CALL(missing, GetComponentPath(_, _, _, _)).Times(0);
    CProductFinder2 finder(kFamily);
    EXPECT_EQ("", finder.GetInstallLocation());
}
