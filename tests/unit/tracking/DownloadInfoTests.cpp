#include <gtest/gtest.h>

#include <windows.h>
#include <string>
#include <vector>

#include "RecordSettings.h"
#include "framework/FwResources.h"
#include "tracking/Base64Codec.h"
#include "tracking/DownloadInfo.h"

namespace {

const char kTestName[] = "Freeware - TrackingTest";
const char kTestPath[] = "Software\\Quorvel\\Freeware - TrackingTest";
// Where the 32-bit view keeps it, seen from the 64-bit view.
const char kRedirectedPath[] = "Software\\Wow6432Node\\Quorvel\\Freeware - TrackingTest";

class TestDownloadInfo : public CDownloadInfo {
public:
    using CDownloadInfo::CDownloadInfo;
    using CDownloadInfo::LoadFromResource;

    void Load(WORD id) { LoadFromResource(FwResourceModule(), "Q7R", MAKEINTRESOURCEA(id)); }
};

class Key {
public:
    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() {
        if (key)
            RegCloseKey(key);
    }
    HKEY key = nullptr;
};

struct Value {
    LONG status = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    std::string bytes; // as stored, terminator included
    DWORD valueCount = 0;
};

Value ReadValue(const char* path, REGSAM view) {
    Value value;
    Key key;
    value.status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view, &key.key);
    if (value.status != ERROR_SUCCESS)
        return value;
    RegQueryInfoKeyA(key.key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     &value.valueCount, nullptr, nullptr, nullptr, nullptr);
    DWORD size = 0;
    value.status = RegQueryValueExA(key.key, "SourceInfo", nullptr, &value.type, nullptr, &size);
    if (value.status != ERROR_SUCCESS)
        return value;
    value.bytes.assign(size, '\0');
    value.status = RegQueryValueExA(key.key, "SourceInfo", nullptr, &value.type,
                                    reinterpret_cast<BYTE*>(&value.bytes[0]), &size);
    value.bytes.resize(size);
    return value;
}

bool KeyExists(const char* path, REGSAM view) {
    Key key;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view, &key.key) == ERROR_SUCCESS;
}

void DeleteKey(const char* path, REGSAM view) {
    // A link key is removed itself, not the key it points to.
    Key link;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, REG_OPTION_OPEN_LINK, DELETE | view, &link.key) ==
        ERROR_SUCCESS) {
        using NtDeleteKeyFn = LONG(WINAPI*)(HANDLE);
        auto deleteKey = reinterpret_cast<NtDeleteKeyFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
        if (deleteKey)
            deleteKey(link.key);
    }
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path, view, 0);
}

// A volatile link in one view to a place that cannot exist: that view's key can
// then be neither opened nor created.
void BlockView(const char* path, REGSAM view) {
    Key key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr,
                              REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS | KEY_CREATE_LINK | view, nullptr, &key.key, nullptr));
    const wchar_t target[] = L"\\Registry\\Nowhere\\Quorvel";
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.key, L"SymbolicLinkValue", 0, REG_LINK,
                                            reinterpret_cast<const BYTE*>(target),
                                            sizeof(target) - sizeof(wchar_t)));
}

class DownloadInfoRegistry : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            DeleteKey(kTestPath, view);
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "Software\\Quorvel", view, 0); // only if empty
        }
    }

    static void ExpectStored(const std::string& text, REGSAM view) {
        Value value = ReadValue(kTestPath, view);
        ASSERT_EQ(ERROR_SUCCESS, value.status) << view;
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), value.type);
        EXPECT_EQ(text + '\0', value.bytes); // the size counts the NUL
        EXPECT_EQ(1u, value.valueCount);
    }
};

std::wstring Wide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

std::wstring ExpectedRecord() {
    return std::wstring(L"<Q7><CampaignID>") + TEST_RECORD_CAMPAIGN_ID +
           L"</CampaignID><Referrer>" + TEST_RECORD_REFERRER +
           L"</Referrer><InputSite>Exe</InputSite></Q7>";
}

} // namespace

TEST(DownloadInfo, KeyPathNamesTheProduct) {
    EXPECT_EQ("Software\\Quorvel\\Freeware - OutlookTolvane",
              CDownloadInfo("Freeware - OutlookTolvane").GetKeyPath());
    EXPECT_EQ("Software\\Quorvel\\100%", CDownloadInfo("100%").GetKeyPath());
}

TEST(DownloadInfo, LoadsTheSetupsOwnRecord) {
    CDownloadInfo info(kTestName);
    EXPECT_TRUE(info.m_strData.empty());
    info.LoadFromResource();
    EXPECT_EQ(ExpectedRecord(), Wide(info.m_strData));

    HRSRC found = FindResourceA(FwResourceModule(), MAKEINTRESOURCEA(10), "Q7R");
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(2 * info.m_strData.size(), SizeofResource(FwResourceModule(), found));
}

TEST(DownloadInfo, DefaultRecordIs374BytesAnd512Characters) {
    CDownloadInfo info(kTestName);
    info.LoadFromResource();
    if (std::wstring(TEST_RECORD_CAMPAIGN_ID) != L"1508" || info.m_strData.size() != 187)
        GTEST_SKIP() << "built with another campaign or referrer";
    std::string text = info.GetEncoded();
    EXPECT_EQ(512u, text.size());
    EXPECT_EQ('=', text.back());
    EXPECT_NE('=', text[text.size() - 2]);
}

TEST(DownloadInfo, OddRecordLosesItsLastByteAndKeepsNulUnits) {
    TestDownloadInfo info(kTestName);
    info.Load(11); // 7 bytes: 'A', NUL, 'B' and a lone byte
    EXPECT_EQ(std::wstring(L"A\0B", 3), Wide(info.m_strData));
}

TEST(DownloadInfo, MissingOrEmptyRecordLeavesTheTextAsItWas) {
    for (WORD id : {12, 13}) { // empty, missing
        TestDownloadInfo info(kTestName);
        info.Load(id);
        EXPECT_TRUE(info.m_strData.empty()) << id;
        EXPECT_EQ("", info.GetEncoded()) << id;
        info.m_strData = u"kept";
        info.Load(id);
        EXPECT_EQ(L"kept", Wide(info.m_strData)) << id;
    }
}

TEST(DownloadInfo, EncodesTheUtf16LittleEndianBytes) {
    CDownloadInfo info(kTestName);
    info.m_strData = u"Q7\x00e9";
    // 'Q' 00 '7' 00 E9 00
    EXPECT_EQ("UQA3AOkA", info.GetEncoded());
}

TEST_F(DownloadInfoRegistry, WritesBothViews) {
    CDownloadInfo info(kTestName);
    info.LoadFromResource();
    info.SaveToRegistry();

    std::string text = info.GetEncoded();
    ASSERT_FALSE(text.empty());
    ExpectStored(text, KEY_WOW64_32KEY);
    ExpectStored(text, KEY_WOW64_64KEY);
    // Two keys, not one seen twice: the 32-bit one sits in the redirected node.
    Value redirected = ReadValue(kRedirectedPath, KEY_WOW64_64KEY);
    ASSERT_EQ(ERROR_SUCCESS, redirected.status);
    EXPECT_EQ(text + '\0', redirected.bytes);
}

TEST_F(DownloadInfoRegistry, SecondRunLeavesOneValueWithTheLastRecord) {
    CDownloadInfo first(kTestName);
    first.m_strData = u"<Q7><CampaignID>1</CampaignID></Q7>";
    first.SaveToRegistry();
    CDownloadInfo second(kTestName);
    second.LoadFromResource();
    second.SaveToRegistry();

    ASSERT_NE(first.GetEncoded(), second.GetEncoded());
    ExpectStored(second.GetEncoded(), KEY_WOW64_32KEY);
    ExpectStored(second.GetEncoded(), KEY_WOW64_64KEY);
}

TEST_F(DownloadInfoRegistry, NoRecordWritesNothing) {
    TestDownloadInfo info(kTestName);
    info.Load(12);
    info.SaveToRegistry();
    info.Load(13);
    info.SaveToRegistry();
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
        EXPECT_FALSE(KeyExists(kTestPath, view)) << view;
}

TEST_F(DownloadInfoRegistry, AViewThatCannotBeOpenedDoesNotStopTheOther) {
    const REGSAM views[] = {KEY_WOW64_32KEY, KEY_WOW64_64KEY};
    for (REGSAM blocked : views) {
        REGSAM other = blocked == KEY_WOW64_32KEY ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
        Clean();
        BlockView(kTestPath, blocked);
        CDownloadInfo info(kTestName);
        info.LoadFromResource();
        info.SaveToRegistry();
        ExpectStored(info.GetEncoded(), other);
        EXPECT_NE(ERROR_SUCCESS, ReadValue(kTestPath, blocked).status) << blocked;
    }
}

TEST_F(DownloadInfoRegistry, NeitherViewWritableIsSilent) {
    BlockView(kTestPath, KEY_WOW64_32KEY);
    BlockView(kTestPath, KEY_WOW64_64KEY);
    CDownloadInfo info(kTestName);
    info.LoadFromResource();
    info.SaveToRegistry(); // no exception, no message
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
        EXPECT_NE(ERROR_SUCCESS, ReadValue(kTestPath, view).status) << view;
}
