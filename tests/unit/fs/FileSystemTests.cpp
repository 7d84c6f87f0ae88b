#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "fs/FileSystem.h"
#include "fs/Q7FileFind.h"
#include "fs/Q7FileWrite.h"
#include "fs/Q7FsPath.h"
#include "tests/unit/support/TestFiles.h"

namespace {

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveTree(const Q7FsPath& folder) {
    {
        Q7FileFind find(folder.Combine("*.*").c_str());
        while (find.FindNext()) {
            if (find.IsDots())
                continue;
            Q7FsPath entry = find.GetFilePath();
            SetFileAttributesA(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (find.IsDirectory())
                RemoveTree(entry);
            else
                DeleteFileA(entry.c_str());
        }
    }
    RemoveDirectoryA(folder.c_str());
}

// A fresh folder under the temporary folder, removed with everything in it.
class FsScratch : public ::testing::Test {
protected:
    void SetUp() override {
        Q7FsPath temp = GetTempFolder();
        ASSERT_FALSE(temp.empty());
        root = temp.Combine(NewGuidString());
        ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr)) << root;
    }
    void TearDown() override {
        if (!root.empty())
            RemoveTree(root);
        EXPECT_FALSE(IsFolder(root));
    }

    Q7FsPath At(const char* relative) const { return root.Combine(relative); }

    Q7FsPath root;
};

// Runs a block with the scratch folder as the current folder.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder) {
        GetCurrentDirectoryA(MAX_PATH, m_previous);
        SetCurrentDirectoryA(folder.c_str());
    }
    ~CurrentFolder() { SetCurrentDirectoryA(m_previous); }

private:
    char m_previous[MAX_PATH] = {};
};

std::string WithSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

} // namespace

TEST_F(FsScratch, FolderExistsOnlyForFolders) {
    WriteWholeFile(At("file.txt"), "x");
    ASSERT_TRUE(CreateDirectoryA(At("empty").c_str(), nullptr));
    const struct {
        Q7FsPath path;
        bool expected;
    } cases[] = {
        {root, true},
        {root + "\\", true},
        {WithSlashes(root) + "/", true},
        {At("empty"), true},
        {At("file.txt"), false},
        {At("missing"), false},
        {At("missing\\deeper"), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, FolderExists(c.path)) << c.path;

    // An empty path lists the current folder.
    CurrentFolder inside(At("empty"));
    EXPECT_TRUE(FolderExists(Q7FsPath()));
}

TEST_F(FsScratch, CreateFolderTreeCreatesMissingFoldersAndReusesThem) {
    ASSERT_TRUE(CreateDirectoryA(At("a").c_str(), nullptr));
    Q7FsPath deep = At("a\\b\\c");
    EXPECT_TRUE(CreateFolderTree(deep));
    EXPECT_TRUE(IsFolder(At("a\\b")));
    EXPECT_TRUE(IsFolder(deep));

    WriteWholeFile(deep.Combine("keep.txt"), "kept");
    EXPECT_TRUE(CreateFolderTree(deep));
    std::string kept;
    EXPECT_TRUE(ReadWholeFile(deep.Combine("keep.txt"), kept));
    EXPECT_EQ("kept", kept);
}

TEST_F(FsScratch, CreateFolderTreeWithMixedAndDoubledSeparators) {
    // 'C:/...//x//y/' on the real drive of the temporary folder.
    std::string path = WithSlashes(root) + "//x//y/";
    ASSERT_EQ(':', path[1]);
    EXPECT_TRUE(CreateFolderTree(Q7FsPath(path)));
    EXPECT_TRUE(IsFolder(At("x\\y")));

    EXPECT_TRUE(CreateFolderTree(Q7FsPath(root + "\\x/z\\\\w")));
    EXPECT_TRUE(IsFolder(At("x\\z\\w")));
}

TEST_F(FsScratch, CreateFolderTreeStopsAtAFile) {
    WriteWholeFile(At("file.txt"), "data");
    EXPECT_FALSE(CreateFolderTree(At("file.txt\\sub")));
    EXPECT_TRUE(IsFile(At("file.txt")));
}

TEST_F(FsScratch, CreateFolderTreeOfOneComponentOnlyTests) {
    CurrentFolder inside(root);
    ASSERT_TRUE(CreateDirectoryA("present", nullptr));
    EXPECT_TRUE(CreateFolderTree(Q7FsPath("present")));
    EXPECT_FALSE(CreateFolderTree(Q7FsPath("fresh")));
    EXPECT_FALSE(IsFolder(At("fresh")));
    EXPECT_TRUE(CreateFolderTree(Q7FsPath(root.substr(0, 2)))); // the drive, 'C:'

    // 'a\b' with 'a' missing: 'a' is taken as given and 'a\b' cannot be created.
    EXPECT_FALSE(CreateFolderTree(Q7FsPath("a\\b")));
    EXPECT_FALSE(IsFolder(At("a")));
}

TEST_F(FsScratch, RealFolderOpsAcceptAnExistingFolderOnly) {
    WriteWholeFile(At("file.txt"), "x");
    EXPECT_TRUE(FolderOps().CreateFolder(At("new")));
    EXPECT_TRUE(FolderOps().CreateFolder(At("new")));
    EXPECT_FALSE(FolderOps().CreateFolder(At("file.txt")));
    EXPECT_FALSE(FolderOps().CreateFolder(At("missing\\new")));
}

TEST_F(FsScratch, FileFindOverNothingNeverHoldsAHandle) {
    Q7FileFind find(At("*.none").c_str());
    EXPECT_FALSE(find.FindNext());
    EXPECT_EQ(INVALID_HANDLE_VALUE, find.GetHandle());
    EXPECT_FALSE(find.FindNext());
    EXPECT_EQ(INVALID_HANDLE_VALUE, find.GetHandle());

    Q7FileFind missingFolder(At("missing\\*.*").c_str());
    EXPECT_FALSE(missingFolder.FindNext());
    EXPECT_EQ(INVALID_HANDLE_VALUE, missingFolder.GetHandle());
}

TEST_F(FsScratch, FileFindListsEntriesWithTheirPaths) {
    WriteWholeFile(At("..x"), "dots");
    WriteWholeFile(At("plain.txt"), "plain");
    WriteWholeFile(At("a rather long file name.text"), "long");
    ASSERT_TRUE(CreateDirectoryA(At("sub").c_str(), nullptr));

    std::map<std::string, bool> dots; // name -> IsDots
    Q7FileFind find(At("*.*").c_str());
    while (find.FindNext()) {
        std::string name = find.GetFindData().cFileName;
        dots[name] = find.IsDots();
        EXPECT_EQ(At(name.c_str()), find.GetFilePath());
        EXPECT_EQ(name == "sub" || find.IsDots(), find.IsDirectory()) << name;
        if (name == "a rather long file name.text") {
            Q7FsPath shortPath = find.GetShortFilePath();
            EXPECT_EQ(root + "\\", shortPath.GetFolder());
            std::string bytes;
            EXPECT_TRUE(ReadWholeFile(shortPath, bytes)) << shortPath;
            EXPECT_EQ("long", bytes);
        }
    }
    EXPECT_NE(INVALID_HANDLE_VALUE, find.GetHandle());
    const std::map<std::string, bool> expected = {
        {".", true},          {"..", true},   {"..x", false},
        {"plain.txt", false}, {"sub", false}, {"a rather long file name.text", false}};
    EXPECT_EQ(expected, dots);
}

namespace {

// Find data set by hand: Wine cannot make a file named '.'.
class CraftedFind : public Q7FileFind {
public:
    CraftedFind(DWORD attributes, const char* name) : Q7FileFind("D:\\dir\\*.*") {
        FindData().dwFileAttributes = attributes;
        lstrcpynA(FindData().cFileName, name, MAX_PATH);
    }
};

} // namespace

TEST(FsFileFind, IsDotsOnlyForTheFolderEntries) {
    const struct {
        DWORD attributes;
        const char* name;
        bool expected;
    } cases[] = {
        {FILE_ATTRIBUTE_DIRECTORY, ".", true},
        {FILE_ATTRIBUTE_DIRECTORY, "..", true},
        {FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN, "..", true},
        {FILE_ATTRIBUTE_NORMAL, ".", false},
        {FILE_ATTRIBUTE_ARCHIVE, "..", false},
        {FILE_ATTRIBUTE_NORMAL, "..x", false},
        {FILE_ATTRIBUTE_DIRECTORY, "..x", false},
        {FILE_ATTRIBUTE_DIRECTORY, "...", false},
        {FILE_ATTRIBUTE_DIRECTORY, "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, CraftedFind(c.attributes, c.name).IsDots())
            << c.name << " " << c.attributes;
    EXPECT_EQ("D:\\dir\\x.txt", CraftedFind(0, "x.txt").GetFilePath());
}

namespace {

// Byte strings too long for a readable difference: size and first mismatch.
::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual) {
    if (expected == actual)
        return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    return ::testing::AssertionFailure() << "expected " << expected.size() << " bytes, got "
                                         << actual.size() << ", first difference at " << at;
}

std::string SampleBytes() {
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(FS_TEST_SAMPLE, bytes)) << FS_TEST_SAMPLE;
    EXPECT_GT(bytes.size(), 256u);
    return bytes;
}

const WORD kSample = 201;
const WORD kMissing = 299;

} // namespace

TEST_F(FsScratch, WriteResourceToFileWritesTheExactBytes) {
    std::string sample = SampleBytes();
    Q7FsPath out = At("out.bin");
    WriteResourceToFile(out.c_str(), kSample, "Q7BIN");
    std::string written;
    ASSERT_TRUE(ReadWholeFile(out, written));
    EXPECT_TRUE(SameBytes(sample, written));

    // A longer file is replaced, not overwritten in place.
    WriteWholeFile(out, std::string(sample.size() * 3, 'z'));
    WriteResourceToFile(out.c_str(), kSample, "Q7BIN");
    ASSERT_TRUE(ReadWholeFile(out, written));
    EXPECT_TRUE(SameBytes(sample, written));
}

TEST_F(FsScratch, WriteResourceToFileOfAMissingResourceLeavesAnEmptyFile) {
    const struct {
        WORD id;
        const char* type;
    } cases[] = {{kMissing, "Q7BIN"}, {kSample, "MSI"}, {kSample, "q7bin-none"}};
    for (const auto& c : cases) {
        Q7FsPath out = At("missing.bin");
        WriteWholeFile(out, "previous content");
        WriteResourceToFile(out.c_str(), c.id, c.type);
        std::string written = "unread";
        EXPECT_TRUE(ReadWholeFile(out, written)) << c.id << " " << c.type;
        EXPECT_EQ("", written) << c.id << " " << c.type;
    }
}

TEST_F(FsScratch, WriteResourceToFileLeavesAReadOnlyFileAlone) {
    Q7FsPath out = At("readonly.bin");
    WriteWholeFile(out, "original");
    ASSERT_TRUE(SetFileAttributesA(out.c_str(), FILE_ATTRIBUTE_READONLY));
    WriteResourceToFile(out.c_str(), kSample, "Q7BIN");
    std::string content;
    ASSERT_TRUE(ReadWholeFile(out, content));
    EXPECT_EQ("original", content);
    EXPECT_NE(0u, GetFileAttributesA(out.c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST_F(FsScratch, WriteResourceToFileWhereNoFileCanBeMade) {
    WriteResourceToFile(At("missing\\out.bin").c_str(), kSample, "Q7BIN");
    EXPECT_FALSE(IsFolder(At("missing")));
    EXPECT_FALSE(IsFile(At("missing\\out.bin")));
    WriteResourceToFile(nullptr, kSample, "Q7BIN");
}

TEST_F(FsScratch, FileWriteOwnsItsHandle) {
    Q7FsPath path = At("w.txt");
    Q7FileWrite out;
    EXPECT_FALSE(out.Write("x", 1));
    ASSERT_TRUE(out.Create(path.c_str()));
    EXPECT_TRUE(out.Write(std::string("abc")));
    // Others may read while it is open, but not write.
    std::string seen;
    EXPECT_TRUE(ReadWholeFile(path, seen) || GetLastError() == ERROR_SHARING_VIOLATION);
    out.Close();
    EXPECT_EQ(INVALID_HANDLE_VALUE, out.Get());
    EXPECT_FALSE(out.Write("x", 1));
    ASSERT_TRUE(ReadWholeFile(path, seen));
    EXPECT_EQ("abc", seen);

    Q7FileWrite cannot;
    EXPECT_FALSE(cannot.Create(At("missing\\w.txt").c_str()));
    EXPECT_FALSE(cannot.IsOpen());
}
