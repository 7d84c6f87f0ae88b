#include <gtest/gtest.h>

#include <vector>

#include "error/Q7Exception.h"

using Error::Q7ExceptionCommon;
using Error::Q7ExceptionText;

namespace {

std::vector<uint8_t> Bytes(const Q7ByteStream& s) {
    return std::vector<uint8_t>(s.Data(), s.Data() + s.Length());
}

} // namespace

TEST(ExceptionStream, EmptyStringIsFiveBytes) {
    Q7ByteStream stream(1);
    Error::WriteStringRecord(stream, "");
    EXPECT_EQ((std::vector<uint8_t>{1, 0, 0, 0, 0}), Bytes(stream));
}

TEST(ExceptionStream, RecordLayout) {
    Q7ExceptionCommon e(0x80004005u, "op", "dir\\ab", "", 0x01020304);
    Q7ByteStream stream(3); // a small growth step exercises reallocation
    e.WriteTo(stream);
    std::vector<uint8_t> expected = {
        1, 2, 0, 0, 0,    'a',  'b',        // file
        1, 0, 0, 0, 0,                      // function
        4, 0, 0, 0, 0x04, 0x03, 0x02, 0x01, // line
        4, 0, 0, 0, 0x05, 0x40, 0x00, 0x80, // code
        1, 2, 0, 0, 0,    'o',  'p',        // text
    };
    EXPECT_EQ(expected, Bytes(stream));
    EXPECT_EQ(expected.size(), stream.Position());
}

TEST(ExceptionStream, RoundTripRestoresAllFields) {
    Q7ExceptionCommon written(5, "Process32First failed.", "x\\Snap.cpp",
                              "CProcessesEnum::Snapshot", 77);
    Q7ByteStream stream;
    written.WriteTo(stream);
    stream.Seek(0);
    Q7ExceptionCommon read(0, "", nullptr, 0);
    read.ReadFrom(stream);
    EXPECT_EQ("Snap.cpp", read.GetFile());
    EXPECT_EQ("CProcessesEnum::Snapshot", read.GetFunction());
    EXPECT_EQ(77, read.GetLine());
    EXPECT_EQ(5u, read.GetCode());
    EXPECT_EQ("Process32First failed.", read.GetText());

    Q7ExceptionText text("Failed to read 'UpgradeCode' property from file 'C:\\x.msi'", "MsiSql",
                         88);
    Q7ByteStream textStream;
    text.WriteTo(textStream);
    textStream.Seek(0);
    Q7ExceptionText back("", nullptr, 0);
    back.ReadFrom(textStream);
    EXPECT_EQ(text.GetMessage(), back.GetMessage());
    EXPECT_EQ("MsiSql", back.GetFile());
    EXPECT_EQ(88, back.GetLine());
}

TEST(ExceptionStream, StringEndsAtFirstZeroByte) {
    std::vector<uint8_t> data = {1, 4, 0, 0, 0, 'a', 0, 'b', 'c', 1, 1, 0, 0, 0, 'f'};
    Q7ByteStream stream(data.data(), data.size());
    std::string first, second;
    EXPECT_TRUE(Error::ReadStringRecord(stream, first));
    EXPECT_TRUE(Error::ReadStringRecord(stream, second));
    EXPECT_EQ("a", first);
    EXPECT_EQ("f", second);
}

// Damaged or hostile streams: the reader stops or skips, never reads past the
// data, and never changes a field it could not read whole.
TEST(ExceptionStream, DamagedStreamsAreReadSafely) {
    struct Case {
        const char* name;
        std::vector<uint8_t> data;
        const char* file;
        const char* function;
        int line;
        size_t position;
    } cases[] = {
        {"empty", {}, "keep", "keep", 9, 0},
        {"tag only", {1}, "keep", "keep", 9, 1},
        {"short length", {1, 5, 0}, "keep", "keep", 9, 1},
        {"length beyond data", {1, 0xff, 0xff, 0, 0, 'a', 'b'}, "keep", "keep", 9, 7},
        {"huge length", {1, 0xff, 0xff, 0xff, 0x7f, 'a'}, "keep", "keep", 9, 6},
        {"negative length", {1, 0xff, 0xff, 0xff, 0xff, 1, 1, 0, 0, 0, 'g'}, "keep", "g", 9, 11},
        {"wrong tag", {2, 1, 1, 0, 0, 0, 'f'}, "keep", "f", 9, 7},
        {"int size 8",
         {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 8, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8},
         "keep",
         "keep",
         9,
         22},
        {"int size 2", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2, 0, 0, 0, 1, 2}, "keep", "keep", 9, 16},
        {"int size beyond data",
         {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 4, 0, 0, 0, 1, 2},
         "keep",
         "keep",
         9,
         16},
        {"negative int size",
         {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0xfc, 0xff, 0xff, 0xff, 1, 2, 3, 4},
         "keep",
         "keep",
         9,
         15},
    };
    for (const Case& c : cases) {
        Q7ExceptionText e("keep", "keep", "keep", 9);
        Q7ByteStream stream(c.data.data(), c.data.size());
        e.ReadFrom(stream);
        EXPECT_EQ(c.file, e.GetFile()) << c.name;
        EXPECT_EQ(c.function, e.GetFunction()) << c.name;
        EXPECT_EQ(c.line, e.GetLine()) << c.name;
        EXPECT_EQ("keep", e.GetMessage()) << c.name;
        EXPECT_EQ(c.position, stream.Position()) << c.name;
    }
}

TEST(ExceptionStream, WriteAppendsAtPositionAndGrows) {
    Q7ByteStream stream(2);
    Error::WriteIntRecord(stream, 1);
    EXPECT_EQ(8u, stream.Length());
    EXPECT_GE(stream.Capacity(), 8u);
    stream.Seek(4);
    Error::WriteIntRecord(stream, 7); // overwrites the value and appends
    EXPECT_EQ(12u, stream.Length());
    stream.Seek(0);
    int32_t size = 0;
    ASSERT_TRUE(Error::ReadIntRecord(stream, size));
    EXPECT_EQ(4, size);
}
