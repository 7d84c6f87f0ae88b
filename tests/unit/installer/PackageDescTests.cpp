#include <gtest/gtest.h>

#include "error/Q7Exception.h"
#include "fs/FileSystem.h"
#include "installer/MsiPackageDesc.h"
#include "installer/ProductInstaller.h"
#include "tests/unit/installer/InstallerTestSupport.h"

using ::testing::_;

namespace {

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

CRefCountPtr<CMsiPackageDesc> NewPackage(UINT id, bool keepFile = true) {
    return MakeRefCounted<CMsiPackageDesc>(id, "Q7TolvaneAddinSetup.msi", 0, keepFile);
}

} // namespace

TEST(PackageCache, IsMsiCacheUnderCommonAppData) {
    Q7FsPath expected = GetCommonAppDataFolder().Append("MSI Cache");
    EXPECT_EQ(expected, GetPackageCacheFolder());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(expected.c_str()));
    // Asked again, the existing folder is reused.
    EXPECT_EQ(expected, GetPackageCacheFolder());
}

TEST(PackageDesc, EachDescriptorWritesItsOwnGuidFolder) {
    ScriptedMsi scripted;
    const Q7FsPath cache = GetPackageCacheFolder();
    auto first = NewPackage(kTestPackage);
    auto second = NewPackage(kTestPackage);

    for (const auto& package : {first, second}) {
        Q7FsPath path = package->GetPath();
        EXPECT_EQ("Q7TolvaneAddinSetup.msi", path.GetFileName());
        Q7FsPath folder = path.substr(0, path.size() - std::strlen("\\Q7TolvaneAddinSetup.msi"));
        EXPECT_EQ(cache, folder.substr(0, cache.size()));
        std::string guid = folder.substr(cache.size() + 1);
        EXPECT_EQ(38u, guid.size()) << guid;
        EXPECT_EQ('{', guid.front());
        EXPECT_TRUE(FileExists(path));
    }
    EXPECT_NE(first->GetPath(), second->GetPath());
}

TEST(PackageDesc, AnswersForThePackagesIdentity) {
    ScriptedMsi scripted;
    auto package = NewPackage(kTestPackage);
    EXPECT_EQ(kTestProductCode, package->GetProductCode());
    EXPECT_EQ(kTestUpgradeCode, package->GetUpgradeCode());
    EXPECT_EQ((std::vector<int>{1, 2, 3}), package->GetProductVersion());
}

TEST(PackageDesc, FileGoesWithTheLastReferenceOnlyWithoutKeepFlag) {
    for (bool keep : {false, true}) {
        Q7FsPath path;
        {
            auto package = NewPackage(kTestPackage, keep);
            CRefCountPtr<CMsiPackageDesc> other = package;
            path = package->GetPath();
            package.Reset();
            EXPECT_TRUE(FileExists(path)) << "still referenced";
        }
        EXPECT_EQ(keep, FileExists(path)) << "keep " << keep;
        // The GUID folder stays either way.
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.GetFolder().c_str()));
    }
}

TEST(PackageDesc, UnwrittenPackageFailsAtTheFirstRead) {
    ScriptedMsi scripted;
    auto package = NewPackage(999); // no such resource: an empty file
    EXPECT_THROW(package->GetUpgradeCode(), Error::Q7ExceptionText);
    // A failed read is not kept as an empty value.
    EXPECT_THROW(package->GetUpgradeCode(), Error::Q7ExceptionText);
}

TEST(PackageDesc, EachPropertyIsReadOnceInAWholeInstallerRun) {
    const char kOld[] = "{9D1A3C55-0B7E-4F62-8A19-2C4E6F8A0B13}";
    struct Case {
        const char* name;
        const char* related;        // installed product of the family, "" for none
        const char* relatedVersion; // its version
    } const cases[] = {
        {"fresh", "", ""},
        {"repair", kTestProductCode, "1.2.3"},
        {"upgrade", kOld, "1.0.0"},
    };
    for (const Case& c : cases) {
        ScriptedMsi scripted;
        if (*c.related) {
            ScriptRelated(scripted.msi, kTestUpgradeCode, c.related);
            ON_CALL(scripted.msi, EnumProducts(_, _)).WillByDefault(InstalledProducts({c.related}));
            ScriptProductInfo(scripted.msi, c.related, "VersionString", c.relatedVersion);
            ScriptProductInfo(scripted.msi, c.related, "InstallLocation", "D:\\Old");
        }
        auto package = NewPackage(kTestPackage);
        // Every open of the package and every Property query, passed on to msi.dll.
        int opens = 0;
        std::vector<std::string> queries;
        ON_CALL(scripted.msi, OpenDatabase(_, _, _))
            .WillByDefault([&](const char* path, const char* persist, MSIHANDLE* database) {
                if (package->GetPath() == path)
                    ++opens;
                return scripted.real.OpenDatabase(path, persist, database);
            });
        ON_CALL(scripted.msi, DatabaseOpenView(_, _, _))
            .WillByDefault([&](MSIHANDLE database, const char* query, MSIHANDLE* view) {
                if (std::strstr(query, "FROM Property"))
                    queries.push_back(query);
                return scripted.real.DatabaseOpenView(database, query, view);
            });
        EXPECT_CALL(scripted.msi, InstallProduct(_, _));

        CProductInstaller installer(package, false);
        EXPECT_TRUE(installer.Proceed()) << c.name;
        // And asked again after the run, still nothing more is read.
        EXPECT_EQ(kTestProductCode, package->GetProductCode());
        EXPECT_EQ((std::vector<int>{1, 2, 3}), package->GetProductVersion());

        // The upgrade code first: for a broken package its error is the one shown.
        const char kQuery[] = "SELECT Value FROM Property WHERE Property=";
        EXPECT_EQ((std::vector<std::string>{std::string(kQuery) + "'UpgradeCode'",
                                            std::string(kQuery) + "'ProductCode'",
                                            std::string(kQuery) + "'ProductVersion'"}),
                  queries)
            << c.name;
        EXPECT_EQ(3, opens) << c.name;
    }
}

TEST(PackageDescVector, FindsTheFirstPackageWhoseFamilyIsInstalled) {
    ScriptedMsi scripted;
    CMsiPackageDescVector none;
    EXPECT_FALSE(none.FindInstalledPackage());

    CMsiPackageDescVector packages;
    packages.push_back(NewPackage(kTestPackage));
    packages.push_back(NewPackage(kOtherPackage));
    packages.push_back(NewPackage(kOtherPackage));
    EXPECT_FALSE(packages.FindInstalledPackage());

    ScriptRelated(scripted.msi, kOtherUpgradeCode, "{11111111-1111-1111-1111-111111111111}");
    EXPECT_EQ(packages[1].Get(), packages.FindInstalledPackage().Get());

    ScriptRelated(scripted.msi, kTestUpgradeCode, "{22222222-2222-2222-2222-222222222222}");
    EXPECT_EQ(packages[0].Get(), packages.FindInstalledPackage().Get());
}

TEST(PackageDescVector, AsksOnlyForTheFirstRelatedProduct) {
    ScriptedMsi scripted;
    CMsiPackageDescVector packages;
    packages.push_back(NewPackage(kTestPackage));
    EXPECT_CALL(scripted.msi, EnumRelatedProducts(::testing::StrEq(kTestUpgradeCode), 0, 0, _))
        .WillOnce(::testing::Return(ERROR_NO_MORE_ITEMS));
    EXPECT_CALL(scripted.msi, EnumRelatedProducts(_, _, ::testing::Ne(0u), _)).Times(0);
    EXPECT_FALSE(packages.FindInstalledPackage());
}
