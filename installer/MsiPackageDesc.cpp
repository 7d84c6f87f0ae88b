#include "installer/MsiPackageDesc.h"

#include <cstring>

#include "fs/FileSystem.h"
#include "installer/MsiSql.h"
#include "installer/PackageCacheSecurity.h"
#include "error/Raise.h"
#include "installer/WindowsInstaller.h"

Q7FsPath GetPackageCacheFolder() {
    Q7FsPath folder = GetCommonAppDataFolder();
    if (folder.empty())
        RaiseText("MsiPackageDesc", nullptr, __LINE__,
                  "Failed to find the all-users application data folder.");
    folder.Append("MSI Cache");
    SecurePackageCacheFolder(folder);
    return folder;
}

CMsiPackageDesc::CMsiPackageDesc(UINT resourceId, std::string fileName, int tag, bool keepFile)
    : m_tag(tag), m_keepFile(keepFile), m_path(GetPackageCacheFolder()) {
    m_path.Append(NewGuidString());
    CreatePackageFolder(m_path);
    m_path.Append(fileName);
    // A short or failed write shows at the first property read, which names the file.
    WriteResourceToFile(m_path.c_str(), static_cast<WORD>(resourceId), "MSI");
    // From here until the descriptor goes, nobody can change, delete or rename the
    // package; the folder's list covers the moment between writing and this.
    if (!m_lock.Open(m_path.c_str()))
        RaiseCommon(GetLastError(), "MsiPackageDesc", nullptr, __LINE__, "Failed to open file '%s'",
                    m_path.c_str());
}

CMsiPackageDesc::~CMsiPackageDesc() {
    // Closed first, or the file could not be deleted.
    m_lock.Close();
    if (!m_keepFile)
        DeleteFileA(m_path.c_str());
}

const std::string& CMsiPackageDesc::ReadProperty(Property which) const {
    static const char* const kNames[kPropertyCount] = {"ProductCode", "UpgradeCode",
                                                       "ProductVersion"};
    if (!m_read[which]) {
        CMsiSql reader;
        m_values[which] = reader.ReadProperty(m_path, kNames[which]);
        m_read[which] = true;
    }
    return m_values[which];
}

std::string CMsiPackageDesc::GetProductCode() const {
    return ReadProperty(kProductCode);
}

std::string CMsiPackageDesc::GetUpgradeCode() const {
    return ReadProperty(kUpgradeCode);
}

CVersionNumber CMsiPackageDesc::GetProductVersion() const {
    return CVersionNumber(ReadProperty(kProductVersion), ".,");
}

CMsiPackageDescVector::~CMsiPackageDescVector() {
    // First to last, as they were added.
    for (auto& package : *this)
        package.Reset();
}

CRefCountPtr<CMsiPackageDesc> CMsiPackageDescVector::FindInstalledPackage() const {
    for (const auto& package : *this) {
        if (!package)
            continue;
        std::string upgradeCode = package->GetUpgradeCode();
        char buffer[64];
        std::memset(buffer, 0, sizeof buffer);
        if (Msi().EnumRelatedProducts(upgradeCode.c_str(), 0, 0, buffer) == ERROR_SUCCESS)
            return package;
    }
    return CRefCountPtr<CMsiPackageDesc>();
}
