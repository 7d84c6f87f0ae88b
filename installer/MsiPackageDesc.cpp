#include "installer/MsiPackageDesc.h"

#include <cstring>

#include "fs/FileSystem.h"
#include "installer/MsiSql.h"
#include "installer/WindowsInstaller.h"

Q7FsPath GetPackageCacheFolder() {
    Q7FsPath folder = GetCommonAppDataFolder();
    if (folder.empty())
        return Q7FsPath();
    folder.Append("MSI Cache");
    if (FolderExists(folder))
        return folder;
    return CreateFolderTree(folder) ? folder : Q7FsPath();
}

CMsiPackageDesc::CMsiPackageDesc(UINT resourceId, std::string fileName, int tag, bool keepFile)
    : m_tag(tag), m_keepFile(keepFile), m_path(GetPackageCacheFolder()) {
    m_path.Append(NewGuidString());
    CreateFolderTree(m_path);
    m_path.Append(fileName);
    // Failures show at the first property read, which names the file.
    WriteResourceToFile(m_path.c_str(), static_cast<WORD>(resourceId), "MSI");
}

CMsiPackageDesc::~CMsiPackageDesc() {
    if (!m_keepFile)
        DeleteFileA(m_path.c_str());
}

std::string CMsiPackageDesc::ReadProperty(const char* name) const {
    CMsiSql reader;
    return reader.ReadProperty(m_path, name);
}

std::string CMsiPackageDesc::GetProductCode() const {
    return ReadProperty("ProductCode");
}

std::string CMsiPackageDesc::GetUpgradeCode() const {
    return ReadProperty("UpgradeCode");
}

CVersionNumber CMsiPackageDesc::GetProductVersion() const {
    return CVersionNumber(ReadProperty("ProductVersion"), ".,");
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
