#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tracking/Base64Codec.h"
#include "tracking/Q7SimpleArray.h"

using Crypt::Base64NoCrlf;
using Crypt::Base64NoPad;
using Crypt::CBase64Codec;

namespace {

#include "tests/unit/tracking/PatternVectors.inc"

std::vector<unsigned char> Pattern(size_t n) {
    std::vector<unsigned char> bytes(n);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<unsigned char>(((i * 167 + 13) ^ (i >> 3)) & 0xFF);
    return bytes;
}

std::string Encode(const std::vector<unsigned char>& bytes, unsigned flags = 0) {
    return CBase64Codec::Encode(bytes.data(), bytes.size(), flags);
}

std::string WithoutCrlf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0)
            ++i;
        else
            out += text[i];
    }
    return out;
}

std::string WithoutPadding(std::string text) {
    while (!text.empty() && text.back() == '=')
        text.pop_back();
    return text;
}

// The pieces between the CR LF pairs; a lone CR or LF stays inside a piece.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0) {
            lines.emplace_back();
            ++i;
        } else {
            lines.back() += text[i];
        }
    }
    return lines;
}

} // namespace

TEST(Base64Encode, Rfc4648Vectors) {
    const struct {
        const char* input;
        const char* expected;
    } cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& c : cases) {
        std::string input = c.input;
        EXPECT_EQ(c.expected, CBase64Codec::Encode(input.data(), input.size(), 0)) << input;
    }
}

TEST(Base64Encode, LineLayoutAtTheLineLength) {
    const struct {
        size_t size;
        std::vector<size_t> lines; // lengths of the pieces between CR LF pairs
        const char* tail;          // how the text ends
    } cases[] = {
        {0, {0}, ""},
        {1, {4}, "=="},
        {2, {4}, "="},
        {3, {4}, ""},
        {56, {76}, "="},
        {57, {76, 0}, "\r\n"},
        {58, {76, 4}, "=="},
        {113, {76, 76}, "="},
        {114, {76, 76, 0}, "\r\n"},
        {115, {76, 76, 4}, "=="},
        // The size of the setup's record: six full lines and 44 characters.
        {374, {76, 76, 76, 76, 76, 76, 44}, "="},
    };
    for (const auto& c : cases) {
        std::string text = Encode(Pattern(c.size));
        std::vector<std::string> lines = Lines(text);
        ASSERT_EQ(c.lines.size(), lines.size()) << c.size;
        for (size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(c.lines[i], lines[i].size()) << c.size << " line " << i;
        std::string tail = c.tail;
        ASSERT_GE(text.size(), tail.size());
        EXPECT_EQ(tail, text.substr(text.size() - tail.size())) << c.size;
        if (tail.empty() || tail == "\r\n") {
            EXPECT_EQ(std::string::npos, text.find('=')) << c.size;
        }
    }
    EXPECT_EQ(512u, Encode(Pattern(374)).size());
    EXPECT_EQ(78u, Encode(Pattern(57)).size());
    EXPECT_EQ(82u, Encode(Pattern(58)).size());
}

TEST(Base64Encode, MatchesReferenceOnceLineBreaksAreRemoved) {
    for (const PatternVector& v : kPatternVectors) {
        std::string reference = v.base64;
        std::string text = Encode(Pattern(v.size));
        EXPECT_EQ(reference, WithoutCrlf(text)) << v.size;
        // Only whole lines of 76 before a break, only padding directly at the end.
        std::vector<std::string> lines = Lines(text);
        for (size_t i = 0; i + 1 < lines.size(); ++i)
            EXPECT_EQ(76u, lines[i].size()) << v.size << " line " << i;
        EXPECT_LE(lines.back().size(), 76u) << v.size;
    }
}

TEST(Base64Encode, FlagsLeaveOutPaddingAndBreaks) {
    for (const PatternVector& v : kPatternVectors) {
        std::vector<unsigned char> bytes = Pattern(v.size);
        std::string reference = v.base64;
        std::string plain = Encode(bytes, 0);

        EXPECT_EQ(reference, Encode(bytes, Base64NoCrlf)) << v.size;
        EXPECT_EQ(WithoutPadding(reference), Encode(bytes, Base64NoCrlf | Base64NoPad)) << v.size;
        std::string noPad = Encode(bytes, Base64NoPad);
        EXPECT_EQ(WithoutPadding(plain), noPad) << v.size;
        EXPECT_EQ(std::string::npos, noPad.find('=')) << v.size;
    }
}

TEST(Base64Encode, MissingInputGivesEmptyText) {
    EXPECT_EQ("", CBase64Codec::Encode(nullptr, 5, 0));
    EXPECT_EQ("", CBase64Codec::Encode(nullptr, 0, 0));
}

TEST(Base64RequiredLength, FollowsTheBoundFormula) {
    // Values of the bound, worked out separately for flags 0, NoPad, NoCrlf, both.
    const struct {
        size_t size;
        int bound[4];
    } cases[] = {
        {0, {2, 2, 0, 0}},
        {1, {6, 6, 4, 4}},
        {2, {6, 6, 4, 4}},
        {3, {6, 6, 4, 4}},
        {55, {78, 78, 76, 76}},
        {56, {80, 78, 76, 76}},
        {57, {80, 80, 76, 76}},
        {58, {84, 84, 80, 80}},
        {113, {158, 156, 152, 152}},
        {114, {158, 158, 152, 152}},
        {115, {162, 162, 156, 156}},
        {374, {514, 514, 500, 500}},
        {1000, {1372, 1372, 1336, 1336}},
        {536870911, {734665460, 734665460, 715827884, 715827884}},
    };
    for (const auto& c : cases)
        for (unsigned flags = 0; flags < 4; ++flags)
            EXPECT_EQ(c.bound[flags], CBase64Codec::GetRequiredLength(c.size, flags))
                << c.size << " flags " << flags;
}

TEST(Base64RequiredLength, BoundsEveryEncoding) {
    for (size_t n = 0; n <= 400; ++n) {
        std::vector<unsigned char> bytes = Pattern(n);
        for (unsigned flags = 0; flags < 4; ++flags)
            EXPECT_GE(CBase64Codec::GetRequiredLength(n, flags),
                      static_cast<int>(Encode(bytes, flags).size()))
                << n << " flags " << flags;
    }
}

TEST(Base64Refusal, CountsBeyondThe32BitLimitAreRefusedWithoutReadingInput) {
    // 4n = 2,147,483,644 is the last accepted count; 4n = 2^31 is refused.
    EXPECT_GT(CBase64Codec::GetRequiredLength(536870911, 0), 0);
    const size_t refused[] = {536870912, 0x80000000u, SIZE_MAX / 4 + 1, SIZE_MAX};
    unsigned char small[3] = {1, 2, 3};
    for (size_t n : refused) {
        for (unsigned flags = 0; flags < 4; ++flags)
            EXPECT_EQ(-1, CBase64Codec::GetRequiredLength(n, flags)) << n;
        // The buffer is far smaller than the count: any read would run off it.
        EXPECT_EQ("", CBase64Codec::Encode(small, n, 0)) << n;
    }
}

TEST(Q7SimpleArray, ZeroFilledAndNothingForZero) {
    Q7SimpleArrayT<char> none(0);
    EXPECT_EQ(nullptr, none.GetData());
    EXPECT_EQ(0u, none.GetCount());

    CRefCountPtr<Q7SimpleArrayT<char>> shared = MakeRefCounted<Q7SimpleArrayT<char>>(300);
    CRefCountPtr<Q7SimpleArrayT<char>> copy = shared;
    EXPECT_EQ(2, shared->GetRefCount());
    ASSERT_EQ(300u, copy->GetCount());
    EXPECT_EQ(std::string(300, '\0'), std::string(copy->GetData(), copy->GetCount()));
}
