#include <gtest/gtest.h>

#include "app/PackageSelection.h"
#include "framework/FwMessageBox.h"
#include "installer/MsiPackageDesc.h"
#include "tests/unit/installer/InstallerTestSupport.h"
#include "tests/unit/support/RecordingMessageBoxHost.h"

using ::testing::_;
using ::testing::HasSubstr;
using ::testing::Return;
using ::testing::StrEq;

namespace {

const char kGerman32[] = "{6A0F7149-4800-4EB7-967A-166EE1C37C70}";
const char kPolish32[] = "{E1F798F4-DF81-4524-94D4-4D1DCC355D42}";
const char kGerman64[] = "{6D2D659E-56DC-4A5B-BDA4-08BFD40A78C2}";
const char kPolish64[] = "{3A5FCE13-55A1-4F9F-AD14-28B418F45FE3}";
const char kOwnX64[] = "{5B0E64C1-2C7D-4E5A-9A51-3F6D2B8A7C11}";
const char kOwnX86[] = "{8E3A1F27-6B4C-4D2E-8F90-1A2B3C4D5E6F}";

struct Operation {
    const char* name;
    UINT (*run)();
    const char* german;
    const char* polish;
    const char* ownFamily;
    const char* otherGerman;
    const char* otherPolish;
    const char* otherFamily;
} const kOperations[] = {
    {"32-bit", SetupFor32BitOutlook, kGerman32, kPolish32, kOwnX86, kGerman64, kPolish64, kOwnX64},
    {"64-bit", SetupFor64BitOutlook, kGerman64, kPolish64, kOwnX64, kGerman32, kPolish32, kOwnX86},
};

std::string ConflictText(const char* edition) {
    return std::string("You have already installed the ") + edition +
           " version of this product. Please use the same language version of the installer to "
           "update the product.";
}

} // namespace

TEST(PackageSelection, OtherEditionOfTheSameBitnessIsRefused) {
    for (const Operation& op : kOperations) {
        struct Case {
            bool german;
            bool polish;
            const char* word;
        } cases[] = {{true, false, "german"}, {false, true, "polish"}, {true, true, "german"}};
        for (const Case& c : cases) {
            ScriptedMsi scripted;
            RecordingMessageBoxHost boxes;
            const int cached = CountSubfolders(GetPackageCacheFolder());
            if (c.german)
                ScriptRelated(scripted.msi, op.german, "{11111111-1111-1111-1111-111111111111}");
            if (c.polish)
                ScriptRelated(scripted.msi, op.polish, "{22222222-2222-2222-2222-222222222222}");
            EXPECT_CALL(scripted.msi, EnumRelatedProducts(_, _, _, _))
                .Times(::testing::AnyNumber());
            // German found: the Polish question is never asked.
            EXPECT_CALL(scripted.msi, EnumRelatedProducts(StrEq(op.polish), _, _, _))
                .Times(c.german ? 0 : 1);
            EXPECT_CALL(scripted.msi, InstallProduct(_, _)).Times(0);

            EXPECT_EQ(static_cast<UINT>(ERROR_PRODUCT_VERSION), op.run())
                << op.name << " " << c.word;
            ASSERT_EQ(1u, boxes.boxes.size()) << op.name << " " << c.word;
            EXPECT_EQ(ConflictText(c.word), boxes.boxes[0].text);
            EXPECT_EQ(FwMessageBoxStyle(MB_OK), boxes.boxes[0].type);
            // Nothing written: no new folder in the package cache.
            EXPECT_EQ(cached, CountSubfolders(GetPackageCacheFolder())) << op.name;
        }
    }
}

TEST(PackageSelection, InstallsTheOwnBitnessPackageAndAsksOnlyItsOwnCodes) {
    for (const Operation& op : kOperations) {
        ScriptedMsi scripted;
        RecordingMessageBoxHost boxes;
        // The other bitness's editions and family are installed: they do not matter.
        ScriptRelated(scripted.msi, op.otherGerman, "{11111111-1111-1111-1111-111111111111}");
        ScriptRelated(scripted.msi, op.otherPolish, "{22222222-2222-2222-2222-222222222222}");
        ScriptRelated(scripted.msi, op.otherFamily, "{33333333-3333-3333-3333-333333333333}");
        EXPECT_CALL(scripted.msi, EnumRelatedProducts(_, _, _, _)).Times(::testing::AnyNumber());
        EXPECT_CALL(scripted.msi, EnumRelatedProducts(StrEq(op.otherGerman), _, _, _)).Times(0);
        EXPECT_CALL(scripted.msi, EnumRelatedProducts(StrEq(op.otherPolish), _, _, _)).Times(0);
        EXPECT_CALL(scripted.msi, EnumRelatedProducts(StrEq(op.otherFamily), _, _, _)).Times(0);
        EXPECT_CALL(scripted.msi, EnumRelatedProducts(StrEq(op.ownFamily), _, _, _))
            .Times(::testing::AtLeast(1));
        EXPECT_CALL(scripted.msi, SetInternalUI(INSTALLUILEVEL_FULL, _));
        EXPECT_CALL(scripted.msi, EnableLog(_, _, _)).Times(0);
        std::string path;
        EXPECT_CALL(scripted.msi, InstallProduct(_, StrEq("ACTION=INSTALL Q7STSDATA=\"\"")))
            .WillOnce([&](const char* package, const char*) {
                path = package;
                return static_cast<UINT>(ERROR_SUCCESS);
            });

        EXPECT_EQ(static_cast<UINT>(ERROR_SUCCESS), op.run()) << op.name;
        EXPECT_TRUE(boxes.boxes.empty());
        EXPECT_EQ(GetPackageCacheFolder(), path.substr(0, GetPackageCacheFolder().size()));
        EXPECT_THAT(path, testing::EndsWith("\\Q7TolvaneAddinSetup.msi"));
        // Kept after the run.
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str())) << op.name;
    }
}

TEST(PackageSelection, ReturnsWhatWindowsInstallerReturned) {
    for (const Operation& op : kOperations) {
        for (UINT result : {ERROR_INSTALL_USEREXIT, ERROR_INSTALL_FAILURE,
                            ERROR_SUCCESS_REBOOT_REQUIRED, ERROR_SUCCESS_REBOOT_INITIATED}) {
            ScriptedMsi scripted;
            RecordingMessageBoxHost boxes;
            EXPECT_CALL(scripted.msi, InstallProduct(_, _)).WillOnce(Return(result));
            EXPECT_EQ(result, op.run()) << op.name;
            EXPECT_TRUE(boxes.boxes.empty());
        }
    }
}

TEST(PackageSelection, DeclinedReplacementIsTheUsersCancel) {
    ScriptedMsi scripted;
    RecordingMessageBoxHost boxes; // answers No
    const char kOld[] = "{9D1A3C55-0B7E-4F62-8A19-2C4E6F8A0B13}";
    ScriptRelated(scripted.msi, kOwnX64, kOld);
    ScriptProductInfo(scripted.msi, kOld, "VersionString", "0.1");
    EXPECT_CALL(scripted.msi, InstallProduct(_, _)).Times(0);
    EXPECT_EQ(static_cast<UINT>(ERROR_INSTALL_USEREXIT), SetupFor64BitOutlook());
    EXPECT_EQ(1u, boxes.boxes.size());
}
