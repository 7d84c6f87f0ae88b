#include <gtest/gtest.h>

#include "error/Q7Exception.h"
#include "fs/FileSystem.h"
#include "fs/Q7FsPath.h"
#include "installer/MsiSql.h"
#include "tests/unit/installer/InstallerTestSupport.h"

namespace {

// The automation object needs OLE on the test thread, as the setup initialises it.
class OleEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};
::testing::Environment* const kOle = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

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

TEST(MsiSqlCreation, UnavailableAutomationObjectRaisesItsHresult) {
    ::testing::StrictMock<MockWindowsInstaller> msi;
    EXPECT_CALL(msi, CreateInstallerObject(::testing::_))
        .WillOnce(::testing::Return(REGDB_E_CLASSNOTREG));
    try {
        CMsiSql reader;
        FAIL() << "no exception";
    } catch (const Error::Q7ExceptionCommon& e) {
        EXPECT_EQ(static_cast<uint32_t>(REGDB_E_CLASSNOTREG), e.GetCode());
        EXPECT_EQ("Failed to create Windows installer object.", e.GetText());
        EXPECT_EQ("MsiSql", e.GetFile());
        EXPECT_EQ("CMsiSql::CMsiSql", e.GetFunction());
    }
}
