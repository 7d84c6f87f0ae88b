#pragma once
// The package cache holds what the elevated setup hands to Windows Installer, so
// only administrators and the system may change what lies in it: its folders get
// a protected access list, and an existing cache folder is used as it is only
// when nobody else owns it or may write to it; otherwise it is taken over.
#include <windows.h>

#include "fs/Q7FsPath.h"

// Owner of a security descriptor that the system allocated (LocalFree).
class CLocalSecurityDescriptor {
public:
    CLocalSecurityDescriptor() = default;
    CLocalSecurityDescriptor(const CLocalSecurityDescriptor&) = delete;
    CLocalSecurityDescriptor& operator=(const CLocalSecurityDescriptor&) = delete;
    virtual ~CLocalSecurityDescriptor() { Reset(); }

    PSECURITY_DESCRIPTOR Get() const { return m_descriptor; }
    PSECURITY_DESCRIPTOR* Receive() {
        Reset();
        return &m_descriptor;
    }
    void Reset() {
        if (m_descriptor)
            LocalFree(m_descriptor);
        m_descriptor = nullptr;
    }

private:
    PSECURITY_DESCRIPTOR m_descriptor = nullptr;
};

// The cache's access list: SYSTEM and Administrators full control, Users read and
// execute, passed on to every folder and file below, nothing inherited from above.
// False (GetLastError tells why) when it cannot be built.
bool BuildPackageCacheDescriptor(CLocalSecurityDescriptor& descriptor);

// An existing cache folder as judged from its attributes and its descriptor.
enum CacheFolderVerdict {
    CacheFolderTrusted, // a folder owned by Administrators, SYSTEM or self, writable by nobody else
    CacheFolderUntrusted, // a folder to take over
    CacheFolderLink,      // a reparse point: taking it over would change what it points to
    CacheFolderNotAFolder,
};

// descriptor: owner and access list as read (null when unreadable: untrusted);
// self: the account the setup runs as (may be null).
CacheFolderVerdict JudgeCacheFolder(DWORD attributes, PSECURITY_DESCRIPTOR descriptor, PSID self);

// What the cache's protection reads of an opened folder and how it takes it over,
// so tests can script what Wine cannot produce (other owners, exact access lists,
// junctions). Each returns a Win32 error code.
class ICacheFolderAccess {
public:
    virtual ~ICacheFolderAccess() = default;
    virtual DWORD ReadAttributes(HANDLE folder, DWORD* attributes) = 0;
    // Owner and access list.
    virtual DWORD ReadSecurity(HANDLE folder, CLocalSecurityDescriptor& descriptor) = 0;
    virtual DWORD WriteSecurity(HANDLE folder, SECURITY_INFORMATION what, PSID owner,
                                PACL dacl) = 0;
};

// Replaces the implementation in use (nullptr: the real one); returns the previous
// replacement, or nullptr when the real one was in use.
ICacheFolderAccess* SetCacheFolderAccess(ICacheFolderAccess* access);

// Creates folder with the cache's access list; an existing folder is used as it is
// when JudgeCacheFolder trusts it, and otherwise taken over: owner Administrators,
// then the cache's access list. Throws Error::Q7ExceptionText when the folder can
// neither be created nor is a folder, Error::Q7ExceptionCommon when it is a link or
// the take-over fails.
void SecurePackageCacheFolder(const Q7FsPath& folder);

// Creates a new folder with the cache's access list; an existing one is refused.
// Throws Error::Q7ExceptionText "Failed to create directory '<folder>'".
void CreatePackageFolder(const Q7FsPath& folder);
