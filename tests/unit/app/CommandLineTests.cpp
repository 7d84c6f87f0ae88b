#include <gtest/gtest.h>

#include "app/SetupCommandLine.h"
#include "framework/FwString.h"

namespace {

const INSTALLUILEVEL kFull = INSTALLUILEVEL_FULL;
const INSTALLUILEVEL kNone = INSTALLUILEVEL_NONE;
const INSTALLUILEVEL kPassive =
    static_cast<INSTALLUILEVEL>(INSTALLUILEVEL_BASIC | INSTALLUILEVEL_PROGRESSONLY);

struct Valid {
    const wchar_t* line;
    bool quiet;
    bool passive;
    bool help;
    const char* log;
    const char* extract;
    INSTALLUILEVEL ui;
};

struct Invalid {
    const wchar_t* line;
    const char* error;
    bool quiet; // still known, so the usage box can be left out
};

} // namespace

TEST(SetupCommandLine, AcceptsEachOptionInAnyCaseWithSlashOrDash) {
    const Valid cases[] = {
        {nullptr, false, false, false, "", "", kFull},
        {L"", false, false, false, "", "", kFull},
        {L"TolvaneSetup.exe", false, false, false, "", "", kFull},
        {L"\"C:\\Users\\a b\\Downloads\\TolvaneSetup.exe\"", false, false, false, "", "", kFull},
        {L"s.exe /quiet", true, false, false, "", "", kNone},
        {L"s.exe -QUIET", true, false, false, "", "", kNone},
        {L"s.exe /q", true, false, false, "", "", kNone},
        {L"s.exe -Q", true, false, false, "", "", kNone},
        {L"s.exe /passive", false, true, false, "", "", kPassive},
        {L"s.exe -PaSsIvE", false, true, false, "", "", kPassive},
        {L"s.exe /passive /quiet", true, false, false, "", "", kNone},
        {L"s.exe /q -passive", true, false, false, "", "", kNone},
        {L"s.exe /q /quiet -Q /passive /passive", true, false, false, "", "", kNone},
        {L"s.exe /?", false, false, true, "", "", kFull},
        {L"s.exe -?", false, false, true, "", "", kFull},
        {L"s.exe /help", false, false, true, "", "", kFull},
        {L"s.exe -HELP /help", false, false, true, "", "", kFull},
        {L"s.exe /log C:\\setup.log", false, false, false, "C:\\setup.log", "", kFull},
        {L"s.exe -LOG \"C:\\Log Files\\setup run.log\" /q", true, false, false,
         "C:\\Log Files\\setup run.log", "", kNone},
        {L"s.exe /Log relative.log", false, false, false, "relative.log", "", kFull},
        // A value may look like a path starting with a slash or a dash.
        {L"s.exe /log /temp/setup.log", false, false, false, "/temp/setup.log", "", kFull},
        {L"s.exe /log -x.log", false, false, false, "-x.log", "", kFull},
        {L"s.exe /extract D:\\pkg", false, false, false, "", "D:\\pkg", kFull},
        {L"s.exe -EXTRACT \"D:\\My Packages\\\\\" /log x.log", false, false, false, "x.log",
         "D:\\My Packages\\", kFull},
        {L"s.exe /extract \"D:\\My Packages\" /passive", false, true, false, "", "D:\\My Packages",
         kPassive},
    };
    for (const Valid& c : cases) {
        std::string line = c.line ? FwNarrow(c.line) : "(null)";
        CSetupCommandLine options;
        EXPECT_TRUE(options.Parse(c.line)) << line << ": " << options.GetError();
        EXPECT_TRUE(options.IsValid()) << line;
        EXPECT_EQ(c.quiet, options.IsQuiet()) << line;
        EXPECT_EQ(c.passive, options.IsPassive()) << line;
        EXPECT_EQ(c.quiet || c.passive, options.IsUnattended()) << line;
        EXPECT_EQ(c.help, options.WantsHelp()) << line;
        EXPECT_EQ(c.log, options.GetLogFile()) << line;
        EXPECT_EQ(c.extract, options.GetExtractFolder()) << line;
        EXPECT_EQ(c.ui, options.GetUILevel()) << line;
    }
}

TEST(SetupCommandLine, RefusesUnknownOptionsMissingValuesAndRepeatedPaths) {
    const Invalid cases[] = {
        {L"s.exe /log", "The option /log needs a file name.", false},
        {L"s.exe -EXTRACT", "The option -EXTRACT needs a folder.", false},
        {L"s.exe /log \"\"", "The option /log needs a file name.", false},
        // The forgotten file: the next option is not taken for it, and still counts.
        {L"s.exe /log /quiet", "The option /log needs a file name.", true},
        {L"s.exe /extract -q", "The option /extract needs a folder.", true},
        {L"s.exe /log a.log /LOG b.log", "The option /LOG is given twice.", false},
        {L"s.exe /extract a -extract a", "The option -extract is given twice.", false},
        {L"s.exe /quiet /foo", "Unknown option '/foo'.", true},
        {L"s.exe /qn", "Unknown option '/qn'.", false},
        {L"s.exe /quiet2", "Unknown option '/quiet2'.", false},
        {L"s.exe --quiet", "Unknown option '--quiet'.", false},
        {L"s.exe //q", "Unknown option '//q'.", false},
        {L"s.exe /", "Unknown option '/'.", false},
        {L"s.exe -", "Unknown option '-'.", false},
        {L"s.exe \"\"", "Unknown option ''.", false},
        {L"s.exe setup.log", "Unknown option 'setup.log'.", false},
        {L"s.exe \"/log x\"", "Unknown option '/log x'.", false},
        // The first fault is the one reported.
        {L"s.exe /foo /log", "Unknown option '/foo'.", false},
        {L"s.exe /log /foo /bar", "Unknown option '/bar'.", false},
    };
    for (const Invalid& c : cases) {
        std::string line = FwNarrow(c.line);
        CSetupCommandLine options;
        EXPECT_FALSE(options.Parse(c.line)) << line;
        EXPECT_FALSE(options.IsValid()) << line;
        EXPECT_EQ(c.error, options.GetError()) << line;
        EXPECT_EQ(c.quiet, options.IsQuiet()) << line;
    }
}

TEST(SetupCommandLine, OptionLettersAreAsciiOnly) {
    // The dotted capital I folds to i in some locales, never here.
    CSetupCommandLine options;
    EXPECT_FALSE(options.Parse(L"s.exe /QU\u0130ET"));
    // A path is narrowed in the ANSI code page, like every other text of the setup.
    CSetupCommandLine withPath;
    ASSERT_TRUE(withPath.Parse(L"s.exe /log \"C:\\caf\u00e9\\r\u00e9sum\u00e9.log\""));
    EXPECT_EQ(FwNarrow(L"C:\\caf\u00e9\\r\u00e9sum\u00e9.log"), withPath.GetLogFile());
}

TEST(SetupCommandLine, UsageNamesEveryOptionAndExitCode) {
    std::string usage = CSetupCommandLine::GetUsage();
    for (const char* part :
         {"/quiet", "/q", "/passive", "/log <file>", "/extract <folder>", "/?", "/help", "3010",
          "1641", "1602", "1603", "1622", "1633", "1638", "1639"})
        EXPECT_NE(std::string::npos, usage.find(part)) << part;
}
