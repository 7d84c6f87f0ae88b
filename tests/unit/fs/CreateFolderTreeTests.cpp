#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "fs/FileSystem.h"

namespace {

// Folder operations over a scripted set of folders, recording every call.
class RecordingFolderOps : public IFolderOps {
public:
    RecordingFolderOps(std::set<std::string> existing, std::set<std::string> failing)
        : m_existing(std::move(existing)), m_failing(std::move(failing)) {
        m_previous = SetFolderOps(this);
    }
    ~RecordingFolderOps() override { SetFolderOps(m_previous); }

    bool FolderExists(const Q7FsPath& path) override {
        calls.push_back("exists " + path);
        return m_existing.count(path) != 0;
    }
    bool CreateFolder(const Q7FsPath& path) override {
        calls.push_back("create " + path);
        if (m_failing.count(path))
            return false;
        m_existing.insert(path);
        return true;
    }

    std::vector<std::string> calls;

private:
    std::set<std::string> m_existing;
    std::set<std::string> m_failing;
    IFolderOps* m_previous;
};

} // namespace

TEST(FsCreateFolderTreeScripted, BuildsEachFolderAfterTheFirstComponent) {
    struct Case {
        const char* path;
        std::set<std::string> existing;
        std::set<std::string> failing;
        bool result;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        // Network path: the server is never tested or created.
        {"\\\\server\\share\\dir",
         {"\\\\server\\share"},
         {},
         true,
         {"exists \\\\server\\share", "exists \\\\server\\share\\dir",
          "create \\\\server\\share\\dir"}},
        {"\\\\server\\share\\dir",
         {"\\\\server\\share", "\\\\server\\share\\dir"},
         {},
         true,
         {"exists \\\\server\\share", "exists \\\\server\\share\\dir"}},
        // Slashes are separators too, also at the start of a network path.
        {"//server/share/dir",
         {"\\\\server\\share"},
         {},
         true,
         {"exists \\\\server\\share", "exists \\\\server\\share\\dir",
          "create \\\\server\\share\\dir"}},
        {"D:/a//b/",
         {},
         {},
         true,
         {"exists D:\\a", "create D:\\a", "exists D:\\a\\b", "create D:\\a\\b"}},
        // A failure stops at once; what was created stays.
        {"D:\\a\\b\\c",
         {},
         {"D:\\a\\b"},
         false,
         {"exists D:\\a", "create D:\\a", "exists D:\\a\\b", "create D:\\a\\b"}},
        // A folder on the current drive stays rooted.
        {"\\a\\b", {}, {}, true, {"exists \\a\\b", "create \\a\\b"}},
        // Fewer than two components: only tested, never created.
        {"D:", {}, {}, false, {"exists D:"}},
        {"D:\\", {"D:\\"}, {}, true, {"exists D:\\"}},
        {"name", {}, {}, false, {"exists name"}},
        {"\\\\server\\", {}, {}, false, {"exists \\\\server\\"}},
    };
    for (const Case& c : cases) {
        RecordingFolderOps ops(c.existing, c.failing);
        EXPECT_EQ(c.result, CreateFolderTree(Q7FsPath(c.path))) << c.path;
        EXPECT_EQ(c.calls, ops.calls) << c.path;
    }
}
