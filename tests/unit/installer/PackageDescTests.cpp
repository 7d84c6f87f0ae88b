#include <gtest/gtest.h>

#include "error/Q7Exception.h"
#include "fs/FileSystem.h"
#include "installer/MsiPackageDesc.h"
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
