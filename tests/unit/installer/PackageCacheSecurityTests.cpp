#include <gtest/gtest.h>

#include <sddl.h>

#include <deque>

#include "error/Q7Exception.h"
#include "installer/MsiPackageDesc.h"
#include "installer/PackageCacheSecurity.h"
#include "tests/unit/installer/InstallerTestSupport.h"

namespace {

const DWORD kFolder = FILE_ATTRIBUTE_DIRECTORY;
const DWORD kReparsePointEncountered = 4395;
#define CACHE_ENTRIES "(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"
const char kProtectedList[] = "D:P" CACHE_ENTRIES;
// The list as handed over; its protection travels in the call's flags.
const char kCacheList[] = "D:" CACHE_ENTRIES;

void FromSddl(const std::string& sddl, CLocalSecurityDescriptor& descriptor) {
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                                     descriptor.Receive(), nullptr))
        << sddl;
}

// The account the tests run as, as SDDL text.
std::string SelfSddl() {
    HANDLE token = nullptr;
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } info;
    DWORD size = 0;
    std::string text;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        char* sid = nullptr;
        if (GetTokenInformation(token, TokenUser, &info, sizeof info, &size) &&
            ConvertSidToStringSidA(info.user.User.Sid, &sid)) {
            text = sid;
            LocalFree(sid);
        }
        CloseHandle(token);
    }
    return text;
}

PSID SelfSid(CLocalSecurityDescriptor& holder) {
    FromSddl("O:" + SelfSddl(), holder);
    PSID sid = nullptr;
    BOOL defaulted = FALSE;
    GetSecurityDescriptorOwner(holder.Get(), &sid, &defaulted);
    return sid;
}

// A folder of its own under the temporary folder, removed with its contents.
class TempFolder {
public:
    TempFolder() {
        char temp[MAX_PATH + 1] = {};
        GetTempPathA(MAX_PATH, temp);
        path = Q7FsPath(temp).Append("cache-test-" + NewGuidString());
        CreateDirectoryA(path.c_str(), nullptr);
    }
    ~TempFolder() {
        for (const char* name : {"MSI Cache\\{P}", "MSI Cache"})
            RemoveDirectoryA(path.Combine(name).c_str());
        DeleteFileA(path.Combine("MSI Cache").c_str());
        RemoveDirectoryA(path.c_str());
    }
    Q7FsPath path;
};

// Reads what the test says and records the take-over calls.
struct WriteCall {
    SECURITY_INFORMATION what;
    bool ownerIsAdministrators;
    std::string dacl; // SDDL of the list given, "" for none
};

class ScriptedCacheFolder : public ICacheFolderAccess {
public:
    ScriptedCacheFolder() { m_previous = SetCacheFolderAccess(this); }
    ~ScriptedCacheFolder() override { SetCacheFolderAccess(m_previous); }

    DWORD ReadAttributes(HANDLE folder, DWORD* found) override {
        EXPECT_NE(INVALID_HANDLE_VALUE, folder);
        *found = attributes;
        return ERROR_SUCCESS;
    }
    DWORD ReadSecurity(HANDLE, CLocalSecurityDescriptor& descriptor) override {
        if (sddl.empty())
            return ERROR_ACCESS_DENIED;
        FromSddl(sddl, descriptor);
        return ERROR_SUCCESS;
    }
    DWORD WriteSecurity(HANDLE, SECURITY_INFORMATION what, PSID owner, PACL dacl) override {
        WriteCall call = {what, owner && IsWellKnownSid(owner, WinBuiltinAdministratorsSid), ""};
        if (dacl) {
            SECURITY_DESCRIPTOR absolute;
            InitializeSecurityDescriptor(&absolute, SECURITY_DESCRIPTOR_REVISION);
            SetSecurityDescriptorDacl(&absolute, TRUE, dacl, FALSE);
            char* text = nullptr;
            if (ConvertSecurityDescriptorToStringSecurityDescriptorA(
                    &absolute, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
                call.dacl = text;
                LocalFree(text);
            }
        }
        writes.push_back(call);
        if (results.empty())
            return ERROR_SUCCESS;
        DWORD result = results.front();
        results.pop_front();
        return result;
    }

    DWORD attributes = kFolder;
    std::string sddl; // what ReadSecurity finds; "" fails the read
    std::deque<DWORD> results;
    std::vector<WriteCall> writes;

private:
    ICacheFolderAccess* m_previous;
};

std::string DaclOf(const char* sddl) {
    CLocalSecurityDescriptor descriptor;
    FromSddl(sddl, descriptor);
    char* text = nullptr;
    std::string result;
    if (ConvertSecurityDescriptorToStringSecurityDescriptorA(
            descriptor.Get(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
        result = text;
        LocalFree(text);
    }
    return result;
}

} // namespace

TEST(PackageCacheDescriptor, KeepsEveryoneButSystemAndAdministratorsFromWriting) {
    CLocalSecurityDescriptor built;
    ASSERT_TRUE(BuildPackageCacheDescriptor(built));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(built.Get(), &control, &revision));
    // Nothing inherited from the folder above.
    EXPECT_TRUE(control & SE_DACL_PROTECTED);
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorOwner(built.Get(), &owner, &defaulted));
    EXPECT_EQ(nullptr, owner); // the creator's default owner

    BOOL present = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(built.Get(), &present, &dacl, &defaulted));
    ASSERT_TRUE(present && dacl);
    struct Entry {
        WELL_KNOWN_SID_TYPE sid;
        ACCESS_MASK mask;
    } const expected[] = {
        {WinLocalSystemSid, FILE_ALL_ACCESS},
        {WinBuiltinAdministratorsSid, FILE_ALL_ACCESS},
        {WinBuiltinUsersSid, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE},
    };
    ASSERT_EQ(3u, dacl->AceCount);
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType) << i;
        // Passed on to every package folder and file below.
        EXPECT_EQ(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, ace->Header.AceFlags) << i;
        EXPECT_TRUE(IsWellKnownSid(&ace->SidStart, expected[i].sid)) << i;
        EXPECT_EQ(expected[i].mask, ace->Mask) << i;
    }
    // Users may read and run, nothing more.
    ACCESS_ALLOWED_ACE* users = nullptr;
    ASSERT_TRUE(GetAce(dacl, 2, reinterpret_cast<void**>(&users)));
    EXPECT_EQ(0u, users->Mask &
                      (FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                       FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER));
}

TEST(PackageCacheJudgement, TrustsOnlyFoldersNobodyElseOwnsOrMayWrite) {
    CLocalSecurityDescriptor selfHolder;
    PSID self = SelfSid(selfHolder);
    ASSERT_NE(nullptr, self);
    const std::string me = SelfSddl();
    struct Case {
        const char* name;
        DWORD attributes;
        std::string sddl; // "" for an unreadable descriptor
        CacheFolderVerdict verdict;
    } const cases[] = {
        {"created by the setup", kFolder, std::string("O:BA") + kProtectedList, CacheFolderTrusted},
        {"owned by SYSTEM", kFolder, "O:SYD:(A;;FA;;;SY)", CacheFolderTrusted},
        // What Wine reports for every folder: the prefix's user, Everyone reading.
        {"owned by self", kFolder,
         "O:" + me + "D:(A;OICI;FA;;;SY)(A;OICI;FA;;;" + me + ")(A;OICI;0x1200a9;;;WD)",
         CacheFolderTrusted},
        {"owned by another account", kFolder, std::string("O:S-1-5-21-1-2-3-1001") + kProtectedList,
         CacheFolderUntrusted},
        {"owned by Users", kFolder, std::string("O:BU") + kProtectedList, CacheFolderUntrusted},
        // A folder made under ProgramData by an administrator inherits this one.
        {"Users may add files", kFolder, "O:BAD:(A;OICI;FA;;;BA)(A;CI;0x116;;;BU)",
         CacheFolderUntrusted},
        {"Everyone may delete", kFolder, "O:BAD:(A;;FA;;;BA)(A;;SD;;;WD)", CacheFolderUntrusted},
        {"another account may change the list", kFolder,
         "O:BAD:(A;;FA;;;BA)(A;;WD;;;S-1-5-21-1-2-3-1001)", CacheFolderUntrusted},
        {"Users may do anything", kFolder, "O:BAD:(A;;GA;;;BU)", CacheFolderUntrusted},
        {"no list at all", kFolder, "O:BA", CacheFolderUntrusted},
        {"unreadable", kFolder, "", CacheFolderUntrusted},
        // Entries that only pass on to new children, and denials, grant nothing here.
        {"creator owner for children", kFolder, "O:BAD:(A;OICI;FA;;;BA)(A;OICIIO;FA;;;CO)",
         CacheFolderTrusted},
        {"Users denied", kFolder, "O:BAD:(D;;FA;;;BU)(A;;FA;;;BA)", CacheFolderTrusted},
        {"junction", kFolder | FILE_ATTRIBUTE_REPARSE_POINT, std::string("O:BA") + kProtectedList,
         CacheFolderLink},
        {"a file", FILE_ATTRIBUTE_ARCHIVE, std::string("O:BA") + kProtectedList,
         CacheFolderNotAFolder},
    };
    for (const Case& c : cases) {
        CLocalSecurityDescriptor descriptor;
        if (!c.sddl.empty())
            FromSddl(c.sddl, descriptor);
        EXPECT_EQ(c.verdict, JudgeCacheFolder(c.attributes, descriptor.Get(), self)) << c.name;
    }
    // A null list (not an empty one) lets everyone do everything.
    SECURITY_DESCRIPTOR nullList;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    ASSERT_TRUE(CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size));
    InitializeSecurityDescriptor(&nullList, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorOwner(&nullList, administrators, FALSE);
    SetSecurityDescriptorDacl(&nullList, TRUE, nullptr, FALSE);
    EXPECT_EQ(CacheFolderUntrusted, JudgeCacheFolder(kFolder, &nullList, self));
}

TEST(PackageCacheFolder, MissingFolderIsCreatedWithoutAnyTakeOver) {
    TempFolder temp;
    ScriptedCacheFolder scripted;
    const Q7FsPath cache = temp.path.Combine("MSI Cache");
    SecurePackageCacheFolder(cache);
    EXPECT_EQ(kFolder, GetFileAttributesA(cache.c_str()) & kFolder);
    EXPECT_TRUE(scripted.writes.empty());
}

TEST(PackageCacheFolder, TrustedFolderIsUsedAsItIs) {
    TempFolder temp;
    const Q7FsPath cache = temp.path.Combine("MSI Cache");
    CreateDirectoryA(cache.c_str(), nullptr);
    ScriptedCacheFolder scripted;
    scripted.sddl = std::string("O:BA") + kProtectedList;
    SecurePackageCacheFolder(cache);
    EXPECT_TRUE(scripted.writes.empty());
}

TEST(PackageCacheFolder, UntrustedFolderIsTakenOverOwnerFirst) {
    const std::string others[] = {
        std::string("O:S-1-5-21-1-2-3-1001") + kProtectedList,
        "O:BAD:(A;OICI;FA;;;BA)(A;CI;0x116;;;BU)",
        "", // unreadable
    };
    for (const std::string& found : others) {
        TempFolder temp;
        const Q7FsPath cache = temp.path.Combine("MSI Cache");
        CreateDirectoryA(cache.c_str(), nullptr);
        ScriptedCacheFolder scripted;
        scripted.sddl = found;
        SecurePackageCacheFolder(cache);
        ASSERT_EQ(2u, scripted.writes.size()) << found;
        EXPECT_EQ(static_cast<SECURITY_INFORMATION>(OWNER_SECURITY_INFORMATION),
                  scripted.writes[0].what);
        EXPECT_TRUE(scripted.writes[0].ownerIsAdministrators);
        EXPECT_EQ("", scripted.writes[0].dacl);
        EXPECT_EQ(static_cast<SECURITY_INFORMATION>(DACL_SECURITY_INFORMATION |
                                                    PROTECTED_DACL_SECURITY_INFORMATION),
                  scripted.writes[1].what);
        EXPECT_FALSE(scripted.writes[1].ownerIsAdministrators);
        EXPECT_EQ(DaclOf(kCacheList), scripted.writes[1].dacl);
    }
}

TEST(PackageCacheFolder, FailedTakeOverRefuses) {
    // The owner cannot be changed; the owner changes but the list cannot.
    const std::deque<DWORD> failures[] = {{ERROR_ACCESS_DENIED},
                                          {ERROR_SUCCESS, ERROR_ACCESS_DENIED}};
    for (const std::deque<DWORD>& results : failures) {
        TempFolder temp;
        const Q7FsPath cache = temp.path.Combine("MSI Cache");
        CreateDirectoryA(cache.c_str(), nullptr);
        ScriptedCacheFolder scripted;
        scripted.sddl = std::string("O:S-1-5-21-1-2-3-1001") + kProtectedList;
        scripted.results = results;
        try {
            SecurePackageCacheFolder(cache);
            ADD_FAILURE() << "no exception";
        } catch (const Error::Q7ExceptionCommon& e) {
            EXPECT_EQ(static_cast<uint32_t>(ERROR_ACCESS_DENIED), e.GetCode());
            EXPECT_EQ("Failed to secure directory '" + cache + "'", e.GetText());
        }
        EXPECT_EQ(results.size(), scripted.writes.size());
    }
}

TEST(PackageCacheFolder, LinkIsRefusedUntouched) {
    TempFolder temp;
    const Q7FsPath cache = temp.path.Combine("MSI Cache");
    CreateDirectoryA(cache.c_str(), nullptr);
    ScriptedCacheFolder scripted;
    scripted.attributes = kFolder | FILE_ATTRIBUTE_REPARSE_POINT;
    scripted.sddl = "O:S-1-5-21-1-2-3-1001D:(A;;GA;;;WD)";
    try {
        SecurePackageCacheFolder(cache);
        FAIL() << "no exception";
    } catch (const Error::Q7ExceptionCommon& e) {
        EXPECT_EQ(kReparsePointEncountered, e.GetCode());
        EXPECT_EQ("Failed to secure directory '" + cache + "'", e.GetText());
    }
    // Taking a link over would change the folder it points to.
    EXPECT_TRUE(scripted.writes.empty());
}

TEST(PackageCacheFolder, FileInItsPlaceOrMissingParentCannotBeCreated) {
    TempFolder temp;
    const Q7FsPath file = temp.path.Combine("MSI Cache");
    CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    const Q7FsPath deep = temp.path.Combine("missing\\MSI Cache");
    for (const Q7FsPath& cache : {file, deep}) {
        try {
            SecurePackageCacheFolder(cache);
            ADD_FAILURE() << "no exception for " << cache;
        } catch (const Error::Q7ExceptionText& e) {
            EXPECT_EQ("Failed to create directory '" + cache + "'", e.GetMessage());
        }
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(temp.path.Combine("missing").c_str()));
}

TEST(PackageCacheFolder, PackageFolderMustBeNew) {
    TempFolder temp;
    const Q7FsPath cache = temp.path.Combine("MSI Cache");
    SecurePackageCacheFolder(cache);
    const Q7FsPath package = cache.Combine("{P}");
    CreatePackageFolder(package);
    EXPECT_EQ(kFolder, GetFileAttributesA(package.c_str()) & kFolder);
    // Someone else's folder of that name is never used.
    try {
        CreatePackageFolder(package);
        FAIL() << "no exception";
    } catch (const Error::Q7ExceptionText& e) {
        EXPECT_EQ("Failed to create directory '" + package + "'", e.GetMessage());
    }
}

TEST(PackageCacheFolder, RefusedCacheGetsNoPackage) {
    const Q7FsPath cache = GetPackageCacheFolder(); // exists from here on
    const int before = CountSubfolders(cache);
    ScriptedCacheFolder scripted;
    scripted.sddl = std::string("O:S-1-5-21-1-2-3-1001") + kProtectedList;
    scripted.results = {ERROR_ACCESS_DENIED};
    EXPECT_THROW(MakeRefCounted<CMsiPackageDesc>(kTestPackage, "Q7TolvaneAddinSetup.msi", 0, true),
                 Error::Q7ExceptionCommon);
    EXPECT_EQ(before, CountSubfolders(cache));
}
