#include <gtest/gtest.h>

#include "framework/FwApp.h"
#include "framework/FwMessageBox.h"
#include "framework/FwResources.h"
#include "framework/FwString.h"
#include "tests/unit/support/RecordingMessageBoxHost.h"

TEST(FrameworkStrings, SetupStringsLoadWhole) {
    EXPECT_EQ("Quorvel Outlook Tolvane", FwLoadString(132));
    EXPECT_EQ("Close and Start MS Outlook", FwLoadString(134));
    std::string question = FwLoadString(213);
    EXPECT_EQ(0u, question.find("The installer has detected that an older version"));
    EXPECT_NE(std::string::npos, question.find("retained.\n\nDo you want to continue?"));
    EXPECT_EQ(std::string::npos, question.find('\r'));
    EXPECT_EQ("", FwLoadString(9999));
}

TEST(FrameworkStrings, EditionMessageFormats) {
    std::string text = FwFormat(FwLoadString(130).c_str(), "german");
    EXPECT_EQ("You have already installed the german version of this product. Please use the same "
              "language version of the installer to update the product.",
              text);
}

TEST(FrameworkStrings, FormatAndTrim) {
    EXPECT_EQ("(0x80004005) x", FwFormat("(%#x) %s", 0x80004005u, "x"));
    EXPECT_EQ("(0) x", FwFormat("(%#x) %s", 0u, "x"));
    EXPECT_EQ(std::string(5000, 'a'), FwFormat("%s", std::string(5000, 'a').c_str()));
    EXPECT_EQ("", FwFormat(nullptr));
    EXPECT_EQ("a b", FwTrim(" \t\r\n\v\fa b\r\n"));
    EXPECT_EQ("", FwTrim(" \r\n"));
}

TEST(FrameworkMessageBox, ExclamationAddedOnlyToPlainOkBoxes) {
    struct Case {
        UINT given;
        UINT shown;
    } cases[] = {
        {MB_OK, MB_OK | MB_ICONEXCLAMATION},
        {MB_OK | MB_ICONERROR, MB_OK | MB_ICONERROR},
        {MB_YESNO | MB_ICONQUESTION, MB_YESNO | MB_ICONQUESTION},
        {MB_YESNO, MB_YESNO},
        {MB_OKCANCEL, MB_OKCANCEL},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.shown, FwMessageBoxStyle(c.given)) << c.given;
}

TEST(FrameworkMessageBox, CaptionIsApplicationName) {
    RecordingMessageBoxHost boxes;
    boxes.answers = {IDYES};
    {
        CFwApp app;
        app.SetAppName("Quorvel Tolvane");
        EXPECT_EQ(IDYES, FwMessageBox(213, MB_YESNO | MB_ICONQUESTION, static_cast<UINT>(-1)));
    }
    // Without an application object the executable's title stands in.
    FwMessageBox("plain");
    ASSERT_EQ(2u, boxes.boxes.size());
    EXPECT_EQ("Quorvel Tolvane", boxes.boxes[0].caption);
    EXPECT_EQ(FwLoadString(213), boxes.boxes[0].text);
    EXPECT_EQ("app_tests", boxes.boxes[1].caption);
}

namespace {

struct CountingApp : CFwApp {
    BOOL InitInstance() override {
        order += "i";
        return FALSE;
    }
    int Run() override {
        order += "r";
        return 0;
    }
    int ExitInstance() override {
        order += "x";
        return 7;
    }
    std::string order;
};

} // namespace

TEST(FrameworkApp, InitOnceThenExitWithoutLoop) {
    CountingApp app;
    EXPECT_EQ(7, FwRunApplication());
    EXPECT_EQ("ix", app.order);
}

TEST(FrameworkStrings, BstrFromNarrowText) {
    struct Case {
        const char* text;
        const wchar_t* wide;
    } cases[] = {{"", L""}, {nullptr, L""}, {"C:\\x\\a b.msi", L"C:\\x\\a b.msi"}};
    for (const Case& c : cases) {
        BSTR b = FwAllocBstr(c.text);
        ASSERT_NE(nullptr, b);
        EXPECT_EQ(std::wstring(c.wide), std::wstring(b, SysStringLen(b)));
        EXPECT_EQ(L'\0', b[SysStringLen(b)]);
        SysFreeString(b);
    }
}
