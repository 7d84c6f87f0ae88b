#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "app/Q7TolvaneSetupBootApp.h"
#include "error/Q7Exception.h"
#include "tests/unit/support/MockWindowsInstaller.h"
#include "tests/unit/support/RecordingMessageBoxHost.h"

using ::testing::_;
using ::testing::Return;
using ::testing::Throw;

namespace {

const char kNoOutlook[] =
    "No supported version of Microsoft Outlook detected. Install Microsoft Outlook and retry.";

} // namespace

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
    EXPECT_EQ(0, app.ExitInstance());
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
    }
    ASSERT_EQ(2u, boxes.boxes.size());
    for (const RecordedBox& box : boxes.boxes) {
        EXPECT_EQ("Uncpecified error while installing Quorvel Outlook Tolvane.", box.text);
        EXPECT_EQ("Quorvel Tolvane", box.caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), box.type);
    }
}
