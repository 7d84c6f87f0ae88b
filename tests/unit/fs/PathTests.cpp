#include <gtest/gtest.h>

#include <cctype>
#include <set>

#include "framework/FwLibrary.h"
#include "fs/FileSystem.h"
#include "fs/Q7FsPath.h"

namespace {

struct TextCase {
    const char* path;
    const char* expected;
};

} // namespace

TEST(FsPathAppend, JoinsWithOneBackslash) {
    struct Case {
        const char* path;
        const char* component;
        const char* expected;
    };
    const Case cases[] = {
        {"D:\\dir", "f.txt", "D:\\dir\\f.txt"},
        {"D:\\dir\\", "f.txt", "D:\\dir\\f.txt"},
        {"D:/dir/", "f.txt", "D:/dir/f.txt"},
        {"D:/dir", "f.txt", "D:/dir\\f.txt"},
        {"", "f.txt", "f.txt"},
        {"D:\\dir", "\\f.txt", "D:\\dir\\\\f.txt"},
        {"D:", "*.*", "D:\\*.*"},
        {"D:\\dir", "", "D:\\dir\\"},
        {"", "", ""},
        {"D:\\dir", nullptr, "D:\\dir"},
        {"", nullptr, ""},
    };
    for (const Case& c : cases) {
        Q7FsPath path(c.path);
        Q7FsPath& self = path.Append(c.component);
        EXPECT_EQ(&path, &self);
        EXPECT_EQ(c.expected, path) << c.path << " + " << (c.component ? c.component : "(null)");
    }
}

TEST(FsPathAppend, CombineLeavesThePathAlone) {
    const Q7FsPath folder("D:\\dir");
    EXPECT_EQ("D:\\dir\\a\\b.txt", folder.Combine("a").Combine("b.txt"));
    EXPECT_EQ("D:\\dir", folder);
    EXPECT_EQ("D:\\dir", folder.Combine(nullptr));
}

TEST(FsPathConstruct, NullGivesEmptyAndCopiesAreValues) {
    EXPECT_TRUE(Q7FsPath(static_cast<const char*>(nullptr)).empty());
    EXPECT_TRUE(Q7FsPath().empty());
    Q7FsPath original("D:\\a");
    Q7FsPath copy(original);
    copy.Append("b");
    EXPECT_EQ("D:\\a", original);
    original = copy;
    EXPECT_EQ("D:\\a\\b", original);
}

TEST(FsPathDecompose, GetFileName) {
    const TextCase cases[] = {
        {"D:\\a\\b.txt", "b.txt"}, {"a/b.txt", "b.txt"}, {"a\\b/c.txt", "b/c.txt"},
        {"b.txt", "b.txt"},        {"D:\\a\\", ""},      {"", ""},
        {"\\b.txt", "b.txt"},      {"D:", "D:"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(c.expected, Q7FsPath(c.path).GetFileName()) << c.path;
}

TEST(FsPathDecompose, GetFileTitle) {
    const TextCase cases[] = {
        {"D:\\x\\setup.1.2.msi", "setup.1.2"},
        {"D:\\x.y\\setup", "setup"},
        {"D:\\x\\.msi", ""},
        {"D:\\x\\setup.msi", "setup"},
        {"a/b.c/setup", "setup"},
        {"setup.msi", "setup"},
        {"D:\\x\\", ""},
        {"", ""},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(c.expected, Q7FsPath(c.path).GetFileTitle()) << c.path;
}

TEST(FsPathDecompose, GetFolder) {
    const TextCase cases[] = {
        {"D:\\a\\b.txt", "D:\\a\\"}, {"D:\\a\\", "D:\\a\\"},    {"D:\\", "D:\\"},
        {"b.txt", "b.txt"},          {"\\b.txt", "\\b.txt"},    {"a/b\\c/d", "a/b\\"},
        {"a/b/c", "a/b/"},           {"D:\\a\\*.*", "D:\\a\\"}, {"", ""},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(c.expected, Q7FsPath(c.path).GetFolder()) << c.path;
}

// Shift-JIS: 0x95 0x5C and 0x83 0x5C are characters whose trail byte is '\'.
struct ShiftJisTrait {
    static UINT CodePage() { return 932; }
};
using ShiftJisPath = Q7FsPathT<ShiftJisTrait>;

TEST(FsPathMultibyte, TrailBytesAreNeverSeparators) {
    const std::string table = "\x95\x5C"; // one double-byte character
    const std::string name = "\x83\x5C.txt";

    ShiftJisPath path("D:\\" + table);
    EXPECT_EQ(table, path.GetFileName());
    EXPECT_EQ("D:\\", path.GetFolder());
    EXPECT_EQ("D:\\" + table + "\\f.txt", path.Combine("f.txt"));
    EXPECT_EQ("D:\\" + table + "\\", ShiftJisPath("D:\\" + table + "\\").Combine(""));

    ShiftJisPath file("D:\\" + table + "\\" + name);
    EXPECT_EQ(name, file.GetFileName());
    EXPECT_EQ("\x83\x5C", file.GetFileTitle());
    EXPECT_EQ("D:\\" + table + "\\", file.GetFolder());

    // A trail byte equal to '\' does not stop the fallback to the slash.
    EXPECT_EQ(table + "x", ShiftJisPath("a/" + table + "x").GetFileName());
}

TEST(FsPathMultibyte, CreateFolderTreeSplitsOnCharacters) {
    struct Recorder : IFolderOps {
        std::vector<std::string> created;
        bool FolderExists(const Q7FsPath&) override { return false; }
        bool CreateFolder(const Q7FsPath& path) override {
            created.push_back(path);
            return true;
        }
    } recorder;
    IFolderOps* previous = SetFolderOps(&recorder);
    EXPECT_TRUE(CreateFolderTree("D:\\\x95\x5C\\x", 932));
    SetFolderOps(previous);
    EXPECT_EQ((std::vector<std::string>{"D:\\\x95\x5C", "D:\\\x95\x5C\\x"}), recorder.created);
}

TEST(FsSystemFolders, TempFolderEndsInSeparator) {
    Q7FsPath temp = GetTempFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_TRUE(temp.back() == '\\' || temp.back() == '/') << temp;
    EXPECT_TRUE(FolderExists(temp)) << temp;
}

TEST(FsSystemFolders, CommonAppDataExists) {
    Q7FsPath folder = GetCommonAppDataFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE("C:\\planted-shfolder", folder);
    EXPECT_TRUE(FolderExists(folder)) << folder;
}

namespace {

// The stand-in SHFolder.dll built beside the tests, loaded by its full path.
CFwLibrary LoadStandInShFolder() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH - 1);
    Q7FsPath dll = Q7FsPath(self).GetFolder().Combine("planted").Combine("SHFolder.dll");
    return CFwLibrary(LoadLibraryExA(dll.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

class EnvironmentValue {
public:
    EnvironmentValue(const char* name, const char* value) : m_name(name) {
        SetEnvironmentVariableA(name, value);
    }
    ~EnvironmentValue() { SetEnvironmentVariableA(m_name, nullptr); }

private:
    const char* m_name;
};

} // namespace

TEST(FsSystemFolders, CommonAppDataLookupThroughModule) {
    CFwLibrary standIn = LoadStandInShFolder();
    ASSERT_TRUE(standIn);
    // The stand-in answers only the all-users, create, default-type call.
    EXPECT_EQ("C:\\planted-shfolder", GetCommonAppDataFolderFrom(standIn.Get()));
    {
        EnvironmentValue failing("Q7_FAKE_SHFOLDER_RESULT", "fail");
        // The buffer holds text, but a failed call gives no path.
        EXPECT_EQ("", GetCommonAppDataFolderFrom(standIn.Get()));
    }
    // A module without the function, and no module.
    CFwLibrary kernel = FwLoadSystemLibrary("kernel32.dll");
    ASSERT_TRUE(kernel);
    EXPECT_EQ("", GetCommonAppDataFolderFrom(kernel.Get()));
    EXPECT_EQ("", GetCommonAppDataFolderFrom(nullptr));
}

TEST(FsSystemFolders, ShellWrapperLoadsFromSystemDirectoryOnly) {
    Q7ShellWrapper present("SHFolder.dll");
    EXPECT_NE(nullptr, present.Get());
    Q7ShellWrapper missing("q7-no-such-library.dll");
    EXPECT_EQ(nullptr, missing.Get());
}

TEST(FsGuid, RegistryFormatAndNewEachCall) {
    std::set<std::string> seen;
    for (int i = 0; i < 20; ++i) {
        std::string guid = NewGuidString();
        ASSERT_EQ(38u, guid.size()) << guid;
        EXPECT_EQ('{', guid.front());
        EXPECT_EQ('}', guid.back());
        for (size_t k = 1; k < 37; ++k) {
            char ch = guid[k];
            if (k == 9 || k == 14 || k == 19 || k == 24)
                EXPECT_EQ('-', ch) << guid;
            else
                EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(ch)) ||
                            (ch >= 'A' && ch <= 'F'))
                    << guid;
        }
        EXPECT_NE("{00000000-0000-0000-0000-000000000000}", guid);
        seen.insert(guid);
    }
    EXPECT_EQ(20u, seen.size());
}
