#include "installer/PackageCacheSecurity.h"

#include <aclapi.h>
#include <sddl.h>

#include "error/Raise.h"

namespace {

// D:P protected list; (A;OICI;...) allowed, inherited by folders and files below.
// 0x1200a9 is FILE_GENERIC_READ | FILE_GENERIC_EXECUTE.
const char kCacheSddl[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// Rights that let a holder change the folder or what lies in it.
const ACCESS_MASK kWriteRights = GENERIC_WRITE | GENERIC_ALL | DELETE | WRITE_DAC | WRITE_OWNER |
                                 FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                 FILE_DELETE_CHILD | FILE_WRITE_ATTRIBUTES;

// ERROR_REPARSE_POINT_ENCOUNTERED, which the headers lack.
const DWORD kReparsePointEncountered = 4395;

class CKernelHandle {
public:
    CKernelHandle() = default;
    CKernelHandle(const CKernelHandle&) = delete;
    CKernelHandle& operator=(const CKernelHandle&) = delete;
    ~CKernelHandle() {
        if (m_handle && m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
    }
    HANDLE Get() const { return m_handle; }
    HANDLE* Receive() { return &m_handle; }

private:
    HANDLE m_handle = nullptr;
};

// The account the setup runs as, read from the process token; null when unknown.
class CSelfSid {
public:
    CSelfSid() {
        CKernelHandle token;
        DWORD size = 0;
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive()) &&
            GetTokenInformation(token.Get(), TokenUser, &m_info, sizeof m_info, &size))
            m_sid = m_info.user.User.Sid;
    }
    CSelfSid(const CSelfSid&) = delete;
    CSelfSid& operator=(const CSelfSid&) = delete;
    PSID Get() const { return m_sid; }

private:
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } m_info;
    PSID m_sid = nullptr;
};

// An administrator may take over a folder whose list shuts them out: these two
// privileges grant the change of owner and of the list. Enabled for the scope where
// the token holds them (the previous state is restored); where it does not, the
// take-over calls themselves fail.
class CTakeOverPrivileges {
public:
    CTakeOverPrivileges() {
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                              m_token.Receive()))
            return;
        Privileges wanted = {2, {}};
        if (!LookupPrivilegeValueA(nullptr, SE_TAKE_OWNERSHIP_NAME, &wanted.entries[0].Luid) ||
            !LookupPrivilegeValueA(nullptr, SE_RESTORE_NAME, &wanted.entries[1].Luid))
            return;
        wanted.entries[0].Attributes = wanted.entries[1].Attributes = SE_PRIVILEGE_ENABLED;
        DWORD size = 0;
        m_adjusted = AdjustTokenPrivileges(m_token.Get(), FALSE, wanted.Get(), sizeof m_previous,
                                           m_previous.Get(), &size) != FALSE;
    }
    CTakeOverPrivileges(const CTakeOverPrivileges&) = delete;
    CTakeOverPrivileges& operator=(const CTakeOverPrivileges&) = delete;
    ~CTakeOverPrivileges() {
        if (m_adjusted)
            AdjustTokenPrivileges(m_token.Get(), FALSE, m_previous.Get(), 0, nullptr, nullptr);
    }

private:
    // TOKEN_PRIVILEGES with room for two entries.
    struct Privileges {
        DWORD count;
        LUID_AND_ATTRIBUTES entries[2];
        TOKEN_PRIVILEGES* Get() { return reinterpret_cast<TOKEN_PRIVILEGES*>(this); }
    };

    CKernelHandle m_token;
    Privileges m_previous = {0, {}};
    bool m_adjusted = false;
};

class CRealCacheFolderAccess : public ICacheFolderAccess {
public:
    DWORD ReadAttributes(HANDLE folder, DWORD* attributes) override {
        BY_HANDLE_FILE_INFORMATION info;
        if (!GetFileInformationByHandle(folder, &info))
            return GetLastError();
        *attributes = info.dwFileAttributes;
        return ERROR_SUCCESS;
    }

    DWORD ReadSecurity(HANDLE folder, CLocalSecurityDescriptor& descriptor) override {
        return GetSecurityInfo(folder, SE_FILE_OBJECT,
                               OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                               nullptr, nullptr, nullptr, descriptor.Receive());
    }

    DWORD WriteSecurity(HANDLE folder, SECURITY_INFORMATION what, PSID owner, PACL dacl) override {
        return SetSecurityInfo(folder, SE_FILE_OBJECT, what, owner, nullptr, dacl, nullptr);
    }
};

CRealCacheFolderAccess g_realAccess;
ICacheFolderAccess* g_access = nullptr;

ICacheFolderAccess& Access() {
    return g_access ? *g_access : g_realAccess;
}

bool IsTrustedSid(PSID sid, PSID self) {
    return IsWellKnownSid(sid, WinBuiltinAdministratorsSid) ||
           IsWellKnownSid(sid, WinLocalSystemSid) || (self && EqualSid(sid, self));
}

bool IsTrustedDescriptor(PSECURITY_DESCRIPTOR descriptor, PSID self) {
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    if (!descriptor || !GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) || !owner ||
        !IsTrustedSid(owner, self))
        return false;
    BOOL present = FALSE;
    PACL dacl = nullptr;
    // No list at all grants everyone everything.
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present || !dacl)
        return false;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&header)))
            return false;
        // Entries only passed on to what is created below do not apply to the folder
        // itself; each package folder gets a protected list of its own.
        if (header->AceFlags & INHERIT_ONLY_ACE)
            continue;
        switch (header->AceType) {
        case ACCESS_DENIED_ACE_TYPE:
        case ACCESS_DENIED_OBJECT_ACE_TYPE:
        case ACCESS_DENIED_CALLBACK_ACE_TYPE:
        case ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE:
            continue; // denies only take away
        case ACCESS_ALLOWED_ACE_TYPE: {
            auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
            if ((ace->Mask & kWriteRights) && !IsTrustedSid(&ace->SidStart, self))
                return false;
            continue;
        }
        default:
            return false; // object, compound and conditional entries are not read: untrusted
        }
    }
    return true;
}

// Not a Win32 error code: the folder could not be created, or is no folder.
const DWORD kCannotCreate = MAXDWORD;

[[noreturn]] void ThrowFolderError(DWORD code, const Q7FsPath& folder) {
    if (code == kCannotCreate)
        RaiseText("PackageCacheSecurity", nullptr, __LINE__, "Failed to create directory '%s'",
                  folder.c_str());
    RaiseCommon(code, "PackageCacheSecurity", nullptr, __LINE__, "Failed to secure directory '%s'",
                folder.c_str());
}

// Creates folder with the cache's access list, which stays in cache (null when it
// could not be built). ERROR_SUCCESS, or the error of the step that failed.
DWORD CreateCacheFolder(const Q7FsPath& folder, CLocalSecurityDescriptor& cache) {
    if (!BuildPackageCacheDescriptor(cache))
        return GetLastError();
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, cache.Get(), FALSE};
    return CreateDirectoryA(folder.c_str(), &attributes) ? ERROR_SUCCESS : GetLastError();
}

// Uses an existing folder as it is when it can be trusted, or takes it over; a
// Win32 error code (or kCannotCreate) when neither is possible.
DWORD SecureExistingFolder(const Q7FsPath& folder, const CLocalSecurityDescriptor& cache) {
    // Everything below works on the object opened here: the folder itself, never
    // what a link points to, and it cannot be renamed or replaced meanwhile.
    CTakeOverPrivileges privileges;
    CKernelHandle opened;
    *opened.Receive() = CreateFileA(
        folder.c_str(), READ_CONTROL | WRITE_DAC | WRITE_OWNER, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (opened.Get() == INVALID_HANDLE_VALUE)
        return GetLastError();

    ICacheFolderAccess& access = Access();
    DWORD kind = 0;
    DWORD error = access.ReadAttributes(opened.Get(), &kind);
    if (error != ERROR_SUCCESS)
        return error;
    CLocalSecurityDescriptor current;
    if (access.ReadSecurity(opened.Get(), current) != ERROR_SUCCESS)
        current.Reset(); // unreadable: untrusted
    CSelfSid self;
    switch (JudgeCacheFolder(kind, current.Get(), self.Get())) {
    case CacheFolderTrusted:
        return ERROR_SUCCESS;
    case CacheFolderLink:
        return kReparsePointEncountered;
    case CacheFolderNotAFolder:
        return kCannotCreate;
    case CacheFolderUntrusted:
        break;
    }

    // Whoever owns a folder may rename or delete what lies in it, whatever its list
    // says: the owner goes first, then the list that keeps everyone else out.
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    PACL dacl = nullptr;
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) ||
        !GetSecurityDescriptorDacl(cache.Get(), &present, &dacl, &defaulted))
        return GetLastError();
    error = access.WriteSecurity(opened.Get(), OWNER_SECURITY_INFORMATION, administrators, nullptr);
    if (error == ERROR_SUCCESS)
        error = access.WriteSecurity(
            opened.Get(), DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
            dacl);
    return error;
}

} // namespace

bool BuildPackageCacheDescriptor(CLocalSecurityDescriptor& descriptor) {
    return ConvertStringSecurityDescriptorToSecurityDescriptorA(kCacheSddl, SDDL_REVISION_1,
                                                                descriptor.Receive(), nullptr) &&
           descriptor.Get();
}

CacheFolderVerdict JudgeCacheFolder(DWORD attributes, PSECURITY_DESCRIPTOR descriptor, PSID self) {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return CacheFolderLink;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return CacheFolderNotAFolder;
    return IsTrustedDescriptor(descriptor, self) ? CacheFolderTrusted : CacheFolderUntrusted;
}

ICacheFolderAccess* SetCacheFolderAccess(ICacheFolderAccess* access) {
    ICacheFolderAccess* previous = g_access;
    g_access = access;
    return previous;
}

void SecurePackageCacheFolder(const Q7FsPath& folder) {
    CLocalSecurityDescriptor cache;
    DWORD error = CreateCacheFolder(folder, cache);
    if (error != ERROR_SUCCESS && cache.Get())
        error = error == ERROR_ALREADY_EXISTS ? SecureExistingFolder(folder, cache) : kCannotCreate;
    if (error != ERROR_SUCCESS)
        ThrowFolderError(error, folder);
}

void CreatePackageFolder(const Q7FsPath& folder) {
    CLocalSecurityDescriptor cache;
    if (CreateCacheFolder(folder, cache) != ERROR_SUCCESS)
        ThrowFolderError(kCannotCreate, folder);
}
