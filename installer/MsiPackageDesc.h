#pragma once
// One embedded Windows Installer package: written into a fresh folder of the
// package cache when the descriptor is built, and answering for its path and
// identity (product code, upgrade code, version) from its Property table.
#include <windows.h>

#include <string>
#include <vector>

#include "fs/Q7FileReadLock.h"
#include "fs/Q7FsPath.h"
#include "installer/RefCounted.h"
#include "installer/VersionNumber.h"

class CMsiPackageDesc : public CRefCountedT<FreeThreadedModel> {
public:
    // Writes resource "MSI" resourceId to [cache]\{new GUID}\fileName at once and
    // holds the file open for reading only, so that nobody can change it before
    // Windows Installer reads it. keepFile false: the file is deleted with the
    // descriptor (its folder stays). Throws Error::Q7Exception when the cache or
    // the package folder cannot be made safe, or the written file cannot be opened.
    CMsiPackageDesc(UINT resourceId, std::string fileName, int tag, bool keepFile);
    ~CMsiPackageDesc() override;

    Q7FsPath GetPath() const { return m_path; }
    int GetTag() const { return m_tag; }

    // Read from the package file on first use and kept: a run reads each property
    // once. "" when the property is missing. Throw Error::Q7ExceptionText when the
    // file cannot be read as a package (and read again on the next call).
    std::string GetProductCode() const;
    std::string GetUpgradeCode() const;
    CVersionNumber GetProductVersion() const;

private:
    enum Property { kProductCode, kUpgradeCode, kProductVersion, kPropertyCount };

    const std::string& ReadProperty(Property which) const;

    int m_tag;
    bool m_keepFile;
    Q7FsPath m_path;
    Q7FileReadLock m_lock;
    // Filled by the const getters; like the reads themselves, not synchronised.
    mutable std::string m_values[kPropertyCount];
    mutable bool m_read[kPropertyCount] = {};
};

class CMsiPackageDescVector : public std::vector<CRefCountPtr<CMsiPackageDesc>> {
public:
    using std::vector<CRefCountPtr<CMsiPackageDesc>>::vector;
    CMsiPackageDescVector() = default;
    virtual ~CMsiPackageDescVector();

    // The first package, in order, whose product family has an installed product;
    // empty when none has.
    CRefCountPtr<CMsiPackageDesc> FindInstalledPackage() const;
};

// [all-users application data]\MSI Cache, created with its protected access list
// when missing, taken over when someone else could change it
// (SecurePackageCacheFolder). Throws Error::Q7Exception when that is not possible.
Q7FsPath GetPackageCacheFolder();
