#include <gtest/gtest.h>

#include "framework/FwMbcs.h"

// The process's ANSI code page cannot be switched, so the scanning is checked in
// Shift-JIS (932) directly: 0x95 0x5C and 0x81 0x5C are characters whose trail
// byte is '\', 0x81 0x40 one whose trail byte is '@'.
namespace {
const size_t npos = std::string::npos;
}

TEST(FsMbcs, ShiftJisHasTheTrailBytesTheTestsRelyOn) {
    EXPECT_TRUE(IsDBCSLeadByteEx(932, 0x95));
    EXPECT_TRUE(IsDBCSLeadByteEx(932, 0x81));
    EXPECT_FALSE(IsDBCSLeadByteEx(932, '\\'));
    EXPECT_FALSE(IsDBCSLeadByteEx(1252, 0x95));
}

TEST(FsMbcs, ReverseFindSkipsTrailBytes) {
    struct Case {
        const char* text;
        char ch;
        UINT codePage;
        size_t expected;
    };
    const Case cases[] = {
        {"a\\\x95\x5C", '\\', 932, 1},  // the last '\' byte is a trail byte
        {"\x95\x5C", '\\', 932, npos},  // only a trail byte
        {"\x95\x5C", '\\', 1252, 1},    // single-byte code page: two characters
        {"\x81\x5C.txt", '.', 932, 2},  // the real dot after a double-byte character
        {"a.\x81\x40", '@', 932, npos}, // '@' as a trail byte
        {"a\\\x81", '\\', 932, 1},      // a lead byte cut off at the end
        {"abc", '.', 932, npos},        {"", '.', 932, npos},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, FwMbcsReverseFind(c.text, c.ch, c.codePage))
            << c.text << " " << c.ch << " " << c.codePage;
}

TEST(FsMbcs, LastSeparatorRule) {
    struct Case {
        const char* text;
        size_t expected;
    };
    const Case cases[] = {
        {"a\\b/c", 1},         // a backslash wins over a later slash
        {"a/b/c", 3},          // slash only when there is no backslash
        {"a/\x95\x5C", 1},     // a trail byte is no backslash: fall back to the slash
        {"d\\\x81\x5C\\x", 4}, // the real backslash after a double-byte character
        {"\x95\x5C\x81\x5C", npos},
        {"abc", npos},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, FwFindLastPathSeparator(c.text, 932)) << c.text;
}
