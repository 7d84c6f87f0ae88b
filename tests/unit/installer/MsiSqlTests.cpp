#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "error/Q7Exception.h"
#include "fs/FileSystem.h"
#include "fs/Q7FsPath.h"
#include "installer/MsiSql.h"
#include "tests/unit/installer/InstallerTestSupport.h"

using ::testing::_;

namespace {

std::string ReadBytes(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0)
        bytes.append(chunk, read);
    CloseHandle(file);
    return bytes;
}

void WriteText(const std::string& path, const char* text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    CloseHandle(file);
}

// Name and size of everything in a folder, sorted.
std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (std::strcmp(data.cFileName, ".") && std::strcmp(data.cFileName, ".."))
            names.push_back(std::string(data.cFileName) + " " + std::to_string(data.nFileSizeLow));
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// The process's current folder and temporary folder (TMP, TEMP), for one scope.
class ScopedFolders {
public:
    ScopedFolders(const std::string& current, const std::string& temp) {
        GetCurrentDirectoryA(MAX_PATH, m_current);
        m_hadTmp = GetEnvironmentVariableA("TMP", m_tmp, MAX_PATH) != 0;
        m_hadTemp = GetEnvironmentVariableA("TEMP", m_temp, MAX_PATH) != 0;
        EXPECT_TRUE(SetCurrentDirectoryA(current.c_str()));
        SetEnvironmentVariableA("TMP", temp.c_str());
        SetEnvironmentVariableA("TEMP", temp.c_str());
        EXPECT_EQ(temp + "\\", GetTempFolder());
    }
    ScopedFolders(const ScopedFolders&) = delete;
    ScopedFolders& operator=(const ScopedFolders&) = delete;
    virtual ~ScopedFolders() {
        SetCurrentDirectoryA(m_current);
        // A variable that was not set is removed again.
        SetEnvironmentVariableA("TMP", m_hadTmp ? m_tmp : nullptr);
        SetEnvironmentVariableA("TEMP", m_hadTemp ? m_temp : nullptr);
    }

private:
    char m_current[MAX_PATH] = {};
    char m_tmp[MAX_PATH] = {};
    char m_temp[MAX_PATH] = {};
    bool m_hadTmp = false;
    bool m_hadTemp = false;
};

// Reads go to the real msi.dll; no OLE is initialised in this program.
class MsiSqlTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = GetTempFolder().Append(NewGuidString());
        ASSERT_TRUE(CreateFolderTree(folder));
        package = folder.Combine("Test123.msi");
        WriteResourceToFile(package.c_str(), kTestPackage, "MSI");
    }

    Q7FsPath folder;
    Q7FsPath package;
};

} // namespace

TEST_F(MsiSqlTest, ReadsValuesUnchanged) {
    CMsiSql reader;
    EXPECT_EQ("1.2.3", reader.ReadProperty(package, "ProductVersion"));
    EXPECT_EQ(kTestProductCode, reader.ReadProperty(package, "ProductCode"));
    EXPECT_EQ(kTestUpgradeCode, reader.ReadProperty(package, "UpgradeCode"));
}

TEST_F(MsiSqlTest, MissingPropertyIsEmpty) {
    CMsiSql reader;
    EXPECT_EQ("", reader.ReadProperty(package, "NoSuchProperty"));
}

TEST_F(MsiSqlTest, TwoReadersReadTheSameAndLeaveTheFileAlone) {
    const std::string before = ReadBytes(package);
    ASSERT_FALSE(before.empty());
    std::string first, second;
    {
        CMsiSql reader;
        first = reader.ReadProperty(package, "ProductCode");
    }
    {
        CMsiSql reader;
        second = reader.ReadProperty(package, "ProductCode");
    }
    EXPECT_EQ(kTestProductCode, first);
    EXPECT_EQ(first, second);
    EXPECT_EQ(before, ReadBytes(package));
}

TEST_F(MsiSqlTest, ReadingWritesNoFileAnywhere) {
    // Opened in any mode but read-only, the database gets an output file: under Wine
    // a copy of the package named after the mode ("0") in the current folder, made
    // over any file of that name and deleted after the read.
    const Q7FsPath current = folder.Combine("current");
    const Q7FsPath temp = folder.Combine("temp");
    ASSERT_TRUE(CreateFolderTree(current));
    ASSERT_TRUE(CreateFolderTree(temp));
    WriteText(current.Combine("0"), "the user's own file");
    const Q7FsPath notPackage = folder.Combine("notes.msi");
    WriteText(notPackage, "This is not an installer database.");
    auto listing = [&] {
        std::vector<std::string> names;
        for (const Q7FsPath& where : {folder, current, temp})
            for (const std::string& name : ListFolder(where))
                names.push_back(where + ": " + name);
        return names;
    };
    const std::vector<std::string> before = listing();

    // The real msi.dll, looked over while a database is open.
    ScriptedMsi scripted;
    int fetches = 0;
    ON_CALL(scripted.msi, ViewFetch(_, _)).WillByDefault([&](MSIHANDLE view, MSIHANDLE* record) {
        ++fetches;
        EXPECT_EQ(before, listing()) << "while reading";
        return scripted.real.ViewFetch(view, record);
    });
    {
        ScopedFolders folders(current, temp);
        CMsiSql reader;
        EXPECT_EQ(kTestUpgradeCode, reader.ReadProperty(package, "UpgradeCode"));
        EXPECT_EQ("", reader.ReadProperty(package, "NoSuchProperty"));
        EXPECT_THROW(reader.ReadProperty(package, "Product'Code"), Error::Q7ExceptionText);
        EXPECT_THROW(reader.ReadProperty(notPackage, "UpgradeCode"), Error::Q7ExceptionText);
        // Relative to the current folder, where a copy would land.
        EXPECT_EQ("1.2.3", reader.ReadProperty("..\\Test123.msi", "ProductVersion"));
    }
    EXPECT_EQ(3, fetches);
    EXPECT_EQ(before, listing());
    EXPECT_EQ("the user's own file", ReadBytes(current.Combine("0")));
}

TEST_F(MsiSqlTest, UnreadableFileNamesPropertyThenPath) {
    Q7FsPath text = folder.Combine("notes.msi");
    WriteText(text, "This is not an installer database.");
    Q7FsPath empty = folder.Combine("empty.msi");
    WriteText(empty, "");
    for (const Q7FsPath& path : {text, empty, folder.Combine("missing.msi")}) {
        CMsiSql reader;
        try {
            reader.ReadProperty(path, "UpgradeCode");
            ADD_FAILURE() << "no exception for " << path;
        } catch (const Error::Q7ExceptionText& e) {
            EXPECT_EQ("Failed to read 'UpgradeCode' property from file '" + path + "'",
                      e.GetMessage());
            EXPECT_EQ("MsiSql", e.GetFile());
        }
    }
}

TEST_F(MsiSqlTest, QuoteInPropertyNameFailsAsAQueryError) {
    CMsiSql reader;
    EXPECT_THROW(reader.ReadProperty(package, "Product'Code"), Error::Q7ExceptionText);
}

TEST(MsiSqlCreation, UnreachableDatabaseFunctionsRaiseTheirError) {
    for (UINT error : {ERROR_MOD_NOT_FOUND, ERROR_PROC_NOT_FOUND}) {
        // Strict: nothing else of msi.dll is called.
        ::testing::StrictMock<MockWindowsInstaller> msi;
        EXPECT_CALL(msi, CheckDatabaseFunctions()).WillOnce(::testing::Return(error));
        try {
            CMsiSql reader;
            FAIL() << "no exception";
        } catch (const Error::Q7ExceptionCommon& e) {
            EXPECT_EQ(error, e.GetCode());
            EXPECT_EQ("Failed to create Windows installer object.", e.GetText());
            EXPECT_EQ("MsiSql", e.GetFile());
            EXPECT_EQ("CMsiSql::CMsiSql", e.GetFunction());
        }
    }
}

namespace {

// One read through a scripted msi.dll: database 1, view 2, record 3, each step's
// result as given, every argument checked and every close recorded.
struct ScriptedRead {
    const char* name;
    UINT open;
    UINT openView;
    UINT execute;
    UINT fetch;
    std::function<UINT(char*, DWORD*)> field;
    const char* expected; // nullptr: the read fails
    std::vector<MSIHANDLE> closed;
};

const char kFile[] = "C:\\cache\\{X}\\Q7TolvaneAddinSetup.msi";

// A value of length chars.
std::string Digits(size_t length) {
    std::string text;
    for (size_t i = 0; i < length; ++i)
        text += static_cast<char>('0' + i % 10);
    return text;
}

void Script(MockWindowsInstaller& msi, const ScriptedRead& read, std::vector<MSIHANDLE>& closed) {
    using ::testing::Return;
    ON_CALL(msi, CheckDatabaseFunctions()).WillByDefault(Return(ERROR_SUCCESS));
    ON_CALL(msi, OpenDatabase(_, _, _))
        .WillByDefault([&read](const char* path, const char* persist, MSIHANDLE* database) {
            EXPECT_STREQ(kFile, path);
            EXPECT_EQ(MSIDBOPEN_READONLY, persist);
            if (read.open == ERROR_SUCCESS)
                *database = 1;
            return read.open;
        });
    ON_CALL(msi, DatabaseOpenView(_, _, _))
        .WillByDefault([&read](MSIHANDLE database, const char* query, MSIHANDLE* view) {
            EXPECT_EQ(1u, database);
            EXPECT_STREQ("SELECT Value FROM Property WHERE Property='UpgradeCode'", query);
            if (read.openView == ERROR_SUCCESS)
                *view = 2;
            return read.openView;
        });
    ON_CALL(msi, ViewExecute(_, _)).WillByDefault([&read](MSIHANDLE view, MSIHANDLE record) {
        EXPECT_EQ(2u, view);
        EXPECT_EQ(0u, record);
        return read.execute;
    });
    ON_CALL(msi, ViewFetch(_, _)).WillByDefault([&read](MSIHANDLE view, MSIHANDLE* record) {
        EXPECT_EQ(2u, view);
        if (read.fetch == ERROR_SUCCESS)
            *record = 3;
        return read.fetch;
    });
    ON_CALL(msi, RecordGetString(_, _, _, _))
        .WillByDefault([&read](MSIHANDLE record, UINT field, char* buffer, DWORD* size) {
            EXPECT_EQ(3u, record);
            EXPECT_EQ(1u, field);
            return read.field(buffer, size);
        });
    ON_CALL(msi, CloseHandle(_)).WillByDefault([&closed](MSIHANDLE handle) {
        closed.push_back(handle);
        return static_cast<UINT>(ERROR_SUCCESS);
    });
}

} // namespace

TEST(MsiSqlScripted, EachFailingStepFailsTheReadAndEveryHandleIsClosed) {
    const std::string code = kTestUpgradeCode;
    const std::string longValue = Digits(300);
    std::vector<DWORD> offeredShort, offeredLong, offeredGreedy;
    auto failing = [](char*, DWORD*) { return static_cast<UINT>(ERROR_INVALID_PARAMETER); };
    // Never enough: always one character more than offered.
    auto greedy = [&offeredGreedy](char*, DWORD* size) {
        offeredGreedy.push_back(*size);
        return static_cast<UINT>(ERROR_MORE_DATA);
    };
    // A length no buffer is made for.
    auto absurd = [](char*, DWORD* size) {
        *size = 0xFFFFFFFF;
        return static_cast<UINT>(ERROR_MORE_DATA);
    };
    const SizedValue shortValue{code, &offeredShort};
    const SizedValue whole{longValue, &offeredLong};
    const ScriptedRead reads[] = {
        {"value", 0, 0, 0, 0, shortValue, kTestUpgradeCode, {3, 2, 1}},
        {"no row", 0, 0, 0, ERROR_NO_MORE_ITEMS, nullptr, "", {2, 1}},
        {"open fails", ERROR_OPEN_FAILED, 0, 0, 0, nullptr, nullptr, {}},
        {"view fails", 0, ERROR_BAD_QUERY_SYNTAX, 0, 0, nullptr, nullptr, {1}},
        {"execute fails", 0, 0, ERROR_FUNCTION_FAILED, 0, nullptr, nullptr, {2, 1}},
        {"fetch fails", 0, 0, 0, ERROR_FUNCTION_FAILED, nullptr, nullptr, {2, 1}},
        {"field fails", 0, 0, 0, 0, failing, nullptr, {3, 2, 1}},
        {"long value", 0, 0, 0, 0, whole, longValue.c_str(), {3, 2, 1}},
        {"asks for more each time", 0, 0, 0, 0, greedy, nullptr, {3, 2, 1}},
        {"absurd length", 0, 0, 0, 0, absurd, nullptr, {3, 2, 1}},
    };
    for (const ScriptedRead& read : reads) {
        ::testing::NiceMock<MockWindowsInstaller> msi;
        std::vector<MSIHANDLE> closed;
        Script(msi, read, closed);
        {
            CMsiSql reader;
            if (read.expected) {
                EXPECT_EQ(read.expected, reader.ReadProperty(kFile, "UpgradeCode")) << read.name;
            } else {
                try {
                    reader.ReadProperty(kFile, "UpgradeCode");
                    ADD_FAILURE() << "no exception: " << read.name;
                } catch (const Error::Q7ExceptionText& e) {
                    EXPECT_EQ(std::string("Failed to read 'UpgradeCode' property from file '") +
                                  kFile + "'",
                              e.GetMessage())
                        << read.name;
                }
            }
        }
        // Record, view, database: each once, in that order.
        EXPECT_EQ(read.closed, closed) << read.name;
    }
    // One call when the value fits; otherwise one retry with the length asked for.
    EXPECT_EQ(1u, offeredShort.size());
    ASSERT_EQ(2u, offeredLong.size());
    EXPECT_EQ(longValue.size() + 1, offeredLong[1]);
    // A callee that never has enough gets a few larger buffers, then the read fails.
    EXPECT_LE(offeredGreedy.size(), 8u);
    EXPECT_GT(offeredGreedy.size(), 1u);
    EXPECT_TRUE(std::is_sorted(offeredGreedy.begin(), offeredGreedy.end()));
}
