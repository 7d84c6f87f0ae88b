#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "error/Q7Exception.h"
#include "framework/FwResources.h"
#include "fs/FileSystem.h"
#include "fs/Q7FileFind.h"
#include "fs/Q7FileWrite.h"
#include "fs/Q7FsPath.h"
#include "tests/unit/support/TestFiles.h"
#include "res/resource.h"
#include "ui/FinishPage.h"

namespace {

const std::string kMark = "\xEF\xBB\xBF";
const LPCSTR kHtmlType = MAKEINTRESOURCEA(23);

std::string Resource(LPCSTR type, WORD id) {
    const void* bytes = nullptr;
    DWORD size = 0;
    if (!FwResourceBytes(FwResourceModule(), type, MAKEINTRESOURCEA(id), &bytes, &size))
        return std::string();
    return std::string(static_cast<const char*>(bytes), size);
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Entry names of a folder, without the dots.
std::set<std::string> Entries(const Q7FsPath& folder) {
    std::set<std::string> names;
    Q7FileFind find(folder.Combine("*.*").c_str());
    while (find.FindNext())
        if (!find.IsDots())
            names.insert(find.GetFindData().cFileName);
    return names;
}

// The test's own clean-up: clears read-only marks, so it removes what the code
// under test must leave.
void ForceRemoveTree(const Q7FsPath& folder) {
    {
        Q7FileFind find(folder.Combine("*.*").c_str());
        while (find.FindNext()) {
            if (find.IsDots())
                continue;
            Q7FsPath entry = find.GetFilePath();
            SetFileAttributesA(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (find.IsDirectory())
                ForceRemoveTree(entry);
            else
                DeleteFileA(entry.c_str());
        }
    }
    RemoveDirectoryA(folder.c_str());
}

// Sets an environment variable of this process for one test.
class EnvironmentValue {
public:
    EnvironmentValue(const char* name, const std::string& value) : m_name(name) {
        char previous[4096] = {};
        DWORD length = GetEnvironmentVariableA(name, previous, sizeof(previous));
        m_had = length > 0 && length < sizeof(previous);
        m_previous = previous;
        SetEnvironmentVariableA(name, value.c_str());
    }
    EnvironmentValue(const EnvironmentValue&) = delete;
    EnvironmentValue& operator=(const EnvironmentValue&) = delete;
    ~EnvironmentValue() { SetEnvironmentVariableA(m_name, m_had ? m_previous.c_str() : nullptr); }

private:
    const char* m_name;
    bool m_had = false;
    std::string m_previous;
};

// A fresh folder under the temporary folder, removed with everything in it.
class PageScratch : public ::testing::Test {
protected:
    void SetUp() override {
        Q7FsPath temp = GetTempFolder();
        ASSERT_FALSE(temp.empty());
        root = temp.Combine("page-test-" + NewGuidString());
        ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr)) << root;
    }
    void TearDown() override {
        ForceRemoveTree(root);
        EXPECT_FALSE(Exists(root)) << root;
    }

    Q7FsPath At(const char* relative) const { return root.Combine(relative); }

    Q7FsPath root;
};

} // namespace

// ---------------------------------------------------------------------------
// The content folder

TEST(PageContentFolder, NewGuidFolderDirectlyUnderTempPerCall) {
    Q7FsPath temp = GetTempFolder();
    Q7FsPath first = FinishPage::CreateContentFolder();
    Q7FsPath second = FinishPage::CreateContentFolder();
    for (const Q7FsPath& folder : {first, second}) {
        EXPECT_TRUE(IsFolder(folder)) << folder;
        EXPECT_TRUE(Entries(folder).empty()) << folder;
        std::string name = folder.GetFileName();
        EXPECT_EQ(38u, name.size()) << folder;
        EXPECT_EQ('{', name.front()) << folder;
        EXPECT_EQ('}', name.back()) << folder;
        EXPECT_EQ(temp + name, folder);
    }
    EXPECT_NE(first, second);
    ForceRemoveTree(first);
    ForceRemoveTree(second);
}

// A temporary folder where no folder can be made below: the message names the full
// path of the folder that was tried, and carries no source position.
TEST_F(PageScratch, CreateContentFolderThrowsNamingTheFolder) {
    // Folders nest until the path is nearly as long as a folder path may be, so a
    // GUID below it is too long.
    Q7FsPath tooLong = root;
    while (tooLong.size() < 236) {
        tooLong.Append(std::string(std::min<size_t>(40, 240 - tooLong.size()), 'd'));
        ASSERT_TRUE(CreateDirectoryA(tooLong.c_str(), nullptr)) << tooLong;
    }
    WriteWholeFile(At("file.tmp"), "not a folder");
    const Q7FsPath cases[] = {tooLong, At("file.tmp")};

    for (const Q7FsPath& temp : cases) {
        EnvironmentValue tmp("TMP", temp);
        ASSERT_EQ(temp + "\\", GetTempFolder());
        try {
            FinishPage::CreateContentFolder();
            ADD_FAILURE() << "no exception below " << temp;
        } catch (const Error::Q7ExceptionText& e) {
            std::string prefix = "Failed to create directory '" + temp + "\\{";
            std::string message = e.GetMessage();
            ASSERT_EQ(prefix.size() + 36 + 2, message.size()) << message;
            EXPECT_EQ(prefix, message.substr(0, prefix.size()));
            EXPECT_EQ("}'", message.substr(message.size() - 2));
            EXPECT_EQ(message, e.GetErrorText());
            EXPECT_EQ("", e.GetFile());
            EXPECT_EQ(0, e.GetLine());
        }
    }
    EXPECT_EQ((std::set<std::string>{std::string(40, 'd'), "file.tmp"}), Entries(root));
    EXPECT_TRUE(Entries(tooLong).empty());
}

// ---------------------------------------------------------------------------
// The index page

TEST_F(PageScratch, IndexPageHasExactlyOneMark) {
    const struct {
        UINT id;
        std::string body; // what follows the mark in the file
    } cases[] = {
        {901, "<p>marked \xE2\x9C\x93</p>\r\n"},
        {902, "<p>unmarked \xE2\x9C\x93</p>\r\n"},
        {903, ""},                                             // only a mark
        {904, "\xEF\xBB"},                                     // too short to be a mark
        {999, ""},                                             // missing: the mark alone
        {IDR_PAGE_INDEX, Resource(kHtmlType, IDR_PAGE_INDEX)}, // the setup's own page
    };
    for (const auto& c : cases) {
        Q7FsPath path = At("index.htm");
        // A longer file already there is replaced, not overwritten in part.
        WriteWholeFile(path, std::string(4096, 'x'));
        FinishPage::WriteIndexPage(c.id, path);
        std::string written;
        ASSERT_TRUE(ReadWholeFile(path, written)) << c.id;
        EXPECT_EQ(kMark + c.body, written) << c.id;
    }
    // The setup's page is stored without a mark and is the XHTML document, with
    // CRLF line ends.
    std::string page = Resource(kHtmlType, IDR_PAGE_INDEX);
    EXPECT_EQ(0u, page.find("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\""));
    for (size_t at = page.find('\n'); at != std::string::npos; at = page.find('\n', at + 1))
        ASSERT_TRUE(at > 0 && page[at - 1] == '\r') << "bare line feed at " << at;
}

TEST_F(PageScratch, IndexPageInMissingFolderWritesNothing) {
    FinishPage::WriteIndexPage(IDR_PAGE_INDEX, At("missing\\index.htm"));
    EXPECT_TRUE(Entries(root).empty());
}

// ---------------------------------------------------------------------------
// The other page files

TEST_F(PageScratch, PageFilesAreTheirResourcesInTheirFolders) {
    FinishPage::WriteIndexPage(IDR_PAGE_INDEX, root.Combine("index.htm"));
    FinishPage::WritePageFiles(root);

    EXPECT_EQ((std::set<std::string>{"images", "index.htm", "welcome_style.css"}), Entries(root));
    EXPECT_EQ((std::set<std::string>{"bg-main.jpg", "img1.jpg", "main-bullet.gif", "tick.jpg",
                                     "title-tlvn.jpg"}),
              Entries(At("images")));
    const struct {
        const char* file;
        const char* type;
        WORD id;
    } files[] = {
        {"welcome_style.css", "CSS", 103},      {"images\\img1.jpg", "JPG", 107},
        {"images\\title-tlvn.jpg", "JPG", 109}, {"images\\bg-main.jpg", "JPG", 106},
        {"images\\tick.jpg", "JPG", 108},       {"images\\main-bullet.gif", "GIF", 105},
    };
    for (const auto& f : files) {
        std::string expected = Resource(f.type, f.id);
        ASSERT_FALSE(expected.empty()) << f.file;
        std::string written;
        ASSERT_TRUE(ReadWholeFile(At(f.file), written)) << f.file;
        EXPECT_TRUE(expected == written) << f.file;
    }
    // Written again over the first set, nothing changes.
    FinishPage::WritePageFiles(root);
    std::string css;
    ASSERT_TRUE(ReadWholeFile(At("welcome_style.css"), css));
    EXPECT_EQ(Resource("CSS", 103), css);
}

// ---------------------------------------------------------------------------
// Removal

TEST_F(PageScratch, RemovesNestedFoldersDepthFirst) {
    Q7FsPath content = At("content");
    ASSERT_TRUE(CreateFolderTree(content.Combine("a\\b\\c")));
    ASSERT_TRUE(CreateFolderTree(content.Combine("a\\empty")));
    WriteWholeFile(content.Combine("a\\one.txt"), "1");
    WriteWholeFile(content.Combine("a\\b\\two.txt"), "2");
    WriteWholeFile(content.Combine("a\\b\\c\\three"), "3");
    FinishPage::WriteIndexPage(IDR_PAGE_INDEX, content.Combine("index.htm"));
    FinishPage::WritePageFiles(content);

    FinishPage::RemoveFolderTree(content);
    EXPECT_FALSE(Exists(content));
    EXPECT_TRUE(IsFolder(root)); // only the folder given goes
}

TEST_F(PageScratch, MissingFolderIsIgnored) {
    WriteWholeFile(At("keep.txt"), "kept");
    FinishPage::RemoveFolderTree(At("missing"));
    FinishPage::RemoveFolderTree(At("missing\\deeper"));
    EXPECT_EQ((std::set<std::string>{"keep.txt"}), Entries(root));
}

// A file that cannot be deleted stays, with every folder above it; everything
// else goes.
TEST_F(PageScratch, UndeletableFileSurvivesWithItsFolders) {
    enum Hold { ReadOnly, OpenElsewhere };
    for (Hold hold : {ReadOnly, OpenElsewhere}) {
        Q7FsPath content = At("content");
        ASSERT_TRUE(CreateFolderTree(content.Combine("images")));
        ASSERT_TRUE(CreateFolderTree(content.Combine("other")));
        WriteWholeFile(content.Combine("index.htm"), "page");
        WriteWholeFile(content.Combine("other\\x.txt"), "x");
        Q7FsPath stuck = content.Combine("images\\stuck.jpg");
        WriteWholeFile(stuck, "stuck");
        WriteWholeFile(content.Combine("images\\gone.jpg"), "gone");
        if (hold == ReadOnly) {
            ASSERT_TRUE(SetFileAttributesA(stuck.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        {
            FileHandle open(hold == OpenElsewhere
                                ? CreateFileA(stuck.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                                : INVALID_HANDLE_VALUE);
            FinishPage::RemoveFolderTree(content);
        }
        EXPECT_EQ((std::set<std::string>{"images"}), Entries(content)) << hold;
        EXPECT_EQ((std::set<std::string>{"stuck.jpg"}), Entries(content.Combine("images"))) << hold;
        ForceRemoveTree(content);
    }
}
