#include <gtest/gtest.h>

#include "installer/VersionNumber.h"

namespace {

std::vector<int> Parse(const char* text) {
    return CVersionNumber(text, ".,");
}

bool Less(const char* a, const char* b) {
    return CVersionNumber(a, ".,") < CVersionNumber(b, ".,");
}

} // namespace

TEST(VersionNumber, ParsesComponents) {
    struct Case {
        const char* text;
        std::vector<int> components;
    } cases[] = {
        {"1.2.3", {1, 2, 3}},
        {"2,0,1", {2, 0, 1}},
        {"1,2.3", {1, 2, 3}},
        {"1..2", {1, 2}},
        {".5.", {5}},
        {"1.2beta", {1, 2}},
        {"beta", {0}},
        {" 3.4", {3, 4}},
        {"", {}},
        {"...", {}},
        {"-1", {-1}},
        {"+7", {7}},
        {"99999999999", {2147483647}},
        {"-99999999999", {-2147483647 - 1}},
        {"1.2.3.4.5.6.7.8.9.10.11", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.components, Parse(c.text)) << "'" << c.text << "'";
}

TEST(VersionNumber, OrdersNumericallyWithMissingComponentsAsZero) {
    struct Case {
        const char* a;
        const char* b;
        bool aLess;
        bool bLess;
    } cases[] = {
        {"1.2", "1.2.0", false, false},
        {"1.2", "1.2.1", true, false},
        {"1.9", "1.10", true, false},
        {"", "0", false, false},
        {"", "0.1", true, false},
        {"", "", false, false},
        {"-1", "0", true, false},
        {"1,2.3", "1.2.3", false, false},
        {"1.1.9", "1.2", true, false},
        {"2.0", "1.9.9", false, true},
        {"1.2.3.4.5.6.7.8.10", "1.2.3.4.5.6.7.8.9", false, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.aLess, Less(c.a, c.b)) << "'" << c.a << "' < '" << c.b << "'";
        EXPECT_EQ(c.bLess, Less(c.b, c.a)) << "'" << c.b << "' < '" << c.a << "'";
    }
}

TEST(VersionNumber, CopiesAreIndependentValues) {
    CVersionNumber original("1.2", ".,");
    CVersionNumber copy(original);
    copy.push_back(5);
    EXPECT_EQ((std::vector<int>{1, 2}), original);
    EXPECT_TRUE(original < copy);
}
