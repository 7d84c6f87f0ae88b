#include "installer/ProductFinder2.h"

#include <cstring>
#include <exception>
#include <utility>

#include "fs/Q7FsPath.h"
#include "installer/WindowsInstaller.h"

namespace {

const DWORD kInitialChars = 260;
// Retries after the first read, each with a larger buffer.
const int kMaxRetries = 8;

} // namespace

CProductFinder2::CProductFinder2(std::string upgradeCode) {
    if (upgradeCode.empty())
        return;
    char buffer[512];
    for (DWORD index = 0;; ++index) {
        std::memset(buffer, 0, sizeof buffer);
        if (Msi().EnumRelatedProducts(upgradeCode.c_str(), 0, index, buffer) != ERROR_SUCCESS)
            return;
        buffer[sizeof buffer - 1] = '\0';
        if (buffer[0])
            break;
    }
    m_fields[kProductCode] = buffer;
    m_fields[kUpgradeCode] = std::move(upgradeCode);
    // Windows Installer's properties of the product, read in field order; the install
    // location has a search of its own.
    static const char* const kProperties[kFieldCount] = {
        nullptr,         nullptr,        "ProductName",  nullptr,      "Publisher",
        "VersionString", "VersionMajor", "VersionMinor", "InstallDate"};
    const std::string& productCode = m_fields[kProductCode];
    for (int field = kProductName; field < kFieldCount; ++field)
        m_fields[field] = field == kInstallLocation
                              ? FindInstallLocation(productCode)
                              : GetProductInfo(productCode, kProperties[field]);
}

CProductFinder2::~CProductFinder2() = default;

bool CProductFinder2::IsOlderThan(CVersionNumber packageVersion) const {
    // Read whole, like every other value: a cut-off version ("1.2.3" of
    // "1.2.30000") must never decide an upgrade.
    std::string installed = GetProductInfo(m_fields[kProductCode], "VersionString");
    if (installed.empty())
        return false;
    return CVersionNumber(installed, ".,") < packageVersion;
}

std::string CProductFinder2::GetProductInfo(const std::string& productCode, const char* property) {
    std::string value;
    if (!productCode.empty())
        MsiReadText(value, kInitialChars, kMaxRetries, [&](char* text, DWORD* size) {
            return Msi().GetProductInfo(productCode.c_str(), property, text, size);
        });
    return value;
}

std::string CProductFinder2::FindInstallLocation(const std::string& productCode) {
    std::string location = GetProductInfo(productCode, "InstallLocation");
    if (location.empty()) {
        std::vector<std::string> components = GetInstallDirComponents(productCode);
        if (!components.empty())
            location = GetComponentFolder(productCode, components.front());
    }
    return location;
}

std::vector<std::string> CProductFinder2::GetInstallDirComponents(const std::string& productCode) {
    std::vector<std::string> components;
    // Declared in this order so they close record, view, database.
    CMsiHandle database;
    CMsiHandle view;
    CMsiHandle record;
    try {
        std::string localPackage = GetProductInfo(productCode, "LocalPackage");
        if (Msi().OpenDatabase(localPackage.c_str(), MSIDBOPEN_READONLY, database.Receive()) !=
                ERROR_SUCCESS ||
            Msi().DatabaseOpenView(
                database.Get(), "SELECT ComponentId FROM Component WHERE Directory_='INSTALLDIR'",
                view.Receive()) != ERROR_SUCCESS ||
            Msi().ViewExecute(view.Get(), 0) != ERROR_SUCCESS)
            return components;
        std::string id;
        while (Msi().ViewFetch(view.Get(), record.Receive()) == ERROR_SUCCESS) {
            MsiReadText(id, kInitialChars, kMaxRetries, [&](char* text, DWORD* size) {
                return Msi().RecordGetString(record.Get(), 1, text, size);
            });
            if (!id.empty())
                components.push_back(id);
        }
    } catch (const std::exception&) {
        // What was gathered so far still counts; the handles close on the way out.
    }
    return components;
}

std::string CProductFinder2::GetComponentFolder(const std::string& productCode,
                                                const std::string& componentId) {
    std::string path;
    // Any state but "more data" comes with a path (possibly empty); a path never
    // read whole names another folder.
    if (!productCode.empty())
        MsiReadText(path, kInitialChars, kMaxRetries, [&](char* text, DWORD* size) {
            return Msi().GetComponentPath(productCode.c_str(), componentId.c_str(), text, size) ==
                           INSTALLSTATE_MOREDATA
                       ? static_cast<UINT>(ERROR_MORE_DATA)
                       : static_cast<UINT>(ERROR_SUCCESS);
        });
    return Q7FsPath(path).GetFolder();
}
