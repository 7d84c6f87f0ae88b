#include <gtest/gtest.h>

#include "error/Q7Exception.h"
#include "framework/FwString.h"
#include "tests/unit/support/RecordingMessageBoxHost.h"

using Error::Q7Exception;
using Error::Q7ExceptionCommon;
using Error::Q7ExceptionText;

TEST(ExceptionReport, CodeZeroShowsBareCodeAndText) {
    Q7ExceptionCommon e(0, "Process32First failed.", nullptr, 0);
    EXPECT_EQ("(0) Process32First failed.", e.GetErrorText());
}

TEST(ExceptionReport, AccessDeniedShowsSystemTextCodeAndOperation) {
    Q7ExceptionCommon e(ERROR_ACCESS_DENIED, "Process32First failed.", nullptr, 0);
    std::string system = FwTrim(GetSystemErrorText(ERROR_ACCESS_DENIED));
    ASSERT_FALSE(system.empty());
    EXPECT_EQ(system + " (0x5)\n\nProcess32First failed.", e.GetErrorText());
    std::string text = e.GetReportText();
    EXPECT_NE('\r', text.front());
    EXPECT_NE('\n', text.back());
}

TEST(ExceptionReport, HresultPrintedWithAllDigits) {
    Q7ExceptionCommon e(static_cast<uint32_t>(E_FAIL), "Failed to create Windows installer object.",
                        "MsiSql", "CMsiSql::CMsiSql", 30);
    EXPECT_NE(std::string::npos, e.GetErrorText().find("(0x80004005)"));
    EXPECT_NE(std::string::npos,
              e.GetErrorText().find("Failed to create Windows installer object."));
}

TEST(ExceptionReport, UnknownCodeFallsBackToBareCode) {
    Q7ExceptionCommon e(0x2badc0deu, "Doing it.", nullptr, 0);
    EXPECT_EQ("(0x2badc0de) Doing it.", e.GetErrorText());
}

TEST(ExceptionReport, EmptyOrBlankMessageNamesFileAndLine) {
    for (const char* message : {"", "  \t\r\n "}) {
        Q7ExceptionText e(message, nullptr, 0);
        EXPECT_EQ("Unknown error occured\nFile: , Line: 0", e.GetReportText()) << message;
    }
    Q7ExceptionText withPlace("", "src\\ProductInstaller", 45);
    EXPECT_EQ("Unknown error occured\nFile: ProductInstaller, Line: 45", withPlace.GetReportText());
}

TEST(ExceptionReport, ReportErrorShowsOneErrorBox) {
    RecordingMessageBoxHost host;
    Q7ExceptionText e("  Failed to find product to be installed.\r\n", "ProductInstaller",
                      "CProductInstaller::Proceed", 45);
    EXPECT_EQ(IDOK, e.ReportError());
    ASSERT_EQ(1u, host.boxes.size());
    EXPECT_EQ("Failed to find product to be installed.", host.boxes[0].text);
    EXPECT_EQ("Error", host.boxes[0].caption);
    EXPECT_EQ(0x50010u, host.boxes[0].type);
    EXPECT_EQ(nullptr, host.boxes[0].owner);
}

TEST(ExceptionSourceFile, ReducedToLastComponent) {
    struct Case {
        const char* given;
        const char* kept;
    } cases[] = {
        {"dir\\unit", "unit"},
        {"dir/unit", "unit"},
        {"a\\b/c", "b/c"},
        {"unit", "unit"},
        {"", ""},
        {"dir\\", ""},
        {"C:\\src\\x\\MsiSql.cpp", "MsiSql.cpp"},
    };
    for (const Case& c : cases) {
        Q7ExceptionText e("m", c.given, 1);
        EXPECT_EQ(c.kept, e.GetFile()) << c.given;
    }
    Q7ExceptionText nullFile("m", nullptr, 1);
    EXPECT_EQ("", nullFile.GetFile());
}

TEST(ExceptionTypes, TypeCodesThroughBaseReference) {
    Q7ExceptionText text("m", nullptr, 0);
    Q7ExceptionCommon common(5, "t", nullptr, 0);
    const Q7Exception& a = text;
    const Q7Exception& b = common;
    EXPECT_EQ(4, a.GetTypeCode());
    EXPECT_EQ(2, b.GetTypeCode());
}

TEST(ExceptionTypes, CaughtByReferenceToBase) {
    try {
        throw Q7ExceptionCommon(5, "t", "f", 1);
    } catch (const Q7Exception& e) {
        EXPECT_EQ(2, e.GetTypeCode());
    }
}

TEST(ExceptionClone, CopiesConcreteClassAndFields) {
    Q7ExceptionCommon common(5, "Process32First failed.", "x\\Unit.cpp", "Fn", 12);
    std::unique_ptr<Q7Exception> copy = common.Clone();
    EXPECT_EQ(2, copy->GetTypeCode());
    EXPECT_EQ(common.GetReportText(), copy->GetReportText());
    EXPECT_EQ("Unit.cpp", copy->GetFile());
    EXPECT_EQ("Fn", copy->GetFunction());
    EXPECT_EQ(12, copy->GetLine());

    Q7ExceptionText text("message", "Unit", "Fn", 7);
    std::unique_ptr<Q7Exception> textCopy = text.Clone();
    EXPECT_EQ(4, textCopy->GetTypeCode());
    EXPECT_EQ("message", textCopy->GetErrorText());
}

TEST(ExceptionClone, KeepsTheStoredFileNameAsItIs) {
    // Stored as 'b/c'; shortening that once more would leave 'c'.
    Q7ExceptionText text("message", "a\\b/c", "Fn", 7);
    Q7ExceptionCommon common(5, "text", "a\\b/c", 9);
    for (const Q7Exception* original :
         {static_cast<const Q7Exception*>(&text), static_cast<const Q7Exception*>(&common)}) {
        ASSERT_EQ("b/c", original->GetFile());
        std::unique_ptr<Q7Exception> copy = original->Clone();
        EXPECT_EQ(original->GetTypeCode(), copy->GetTypeCode());
        EXPECT_EQ("b/c", copy->GetFile());
        EXPECT_EQ(original->GetFunction(), copy->GetFunction());
        EXPECT_EQ(original->GetLine(), copy->GetLine());
        EXPECT_EQ(original->GetReportText(), copy->GetReportText());
    }
}
