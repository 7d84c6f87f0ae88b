#include "installer/ProductFinder2.h"

#include <cstring>
#include <exception>

#include "fs/Q7FsPath.h"
#include "installer/WindowsInstaller.h"

namespace {

const DWORD kInitialChars = 260;
// A value that still does not fit after this many larger buffers is not read: a
// callee that keeps asking for more must not grow the buffer without end.
const int kMaxGrowths = 8;
const DWORD kMaxChars = 1 << 20;

// The text in a buffer that holds at least one terminator past its used part.
std::string TextOf(const std::vector<char>& buffer) {
    return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

// Runs call(buffer, &size) until it no longer reports "more data", at most
// kMaxGrowths times more; each retry gets the reported length plus the terminator.
// Returns the last result (still moreData when the value was never read whole);
// the buffer is always terminated, whatever the callee wrote.
template <typename Result, typename Call>
Result ReadWhole(std::vector<char>& buffer, Result moreData, Call call) {
    DWORD chars = kInitialChars;
    for (int growths = 0;; ++growths) {
        buffer.assign(static_cast<size_t>(chars) + 1, '\0');
        DWORD size = chars;
        Result result = call(buffer.data(), &size);
        buffer.back() = '\0';
        if (result != moreData || growths == kMaxGrowths || chars == kMaxChars)
            return result;
        // A size that does not grow would repeat the same call for ever.
        DWORD wanted = size < kMaxChars ? size + 1 : kMaxChars;
        chars = wanted > chars ? wanted : (chars < kMaxChars / 2 ? chars * 2 : kMaxChars);
    }
}

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
    m_productCode = buffer;
    m_upgradeCode = upgradeCode;
    m_productName = GetProductInfo(m_productCode, "ProductName");
    m_installLocation = FindInstallLocation(m_productCode);
    m_publisher = GetProductInfo(m_productCode, "Publisher");
    m_versionString = GetProductInfo(m_productCode, "VersionString");
    m_versionMajor = GetProductInfo(m_productCode, "VersionMajor");
    m_versionMinor = GetProductInfo(m_productCode, "VersionMinor");
    m_installDate = GetProductInfo(m_productCode, "InstallDate");
}

CProductFinder2::~CProductFinder2() = default;

bool CProductFinder2::IsOlderThan(CVersionNumber packageVersion) const {
    // Read whole, like every other value: a cut-off version ("1.2.3" of
    // "1.2.30000") must never decide an upgrade.
    std::string installed = GetProductInfo(m_productCode, "VersionString");
    if (installed.empty())
        return false;
    return CVersionNumber(installed, ".,") < packageVersion;
}

std::string CProductFinder2::GetProductInfo(const std::string& productCode, const char* property) {
    if (productCode.empty())
        return std::string();
    std::vector<char> buffer;
    UINT result =
        ReadWhole(buffer, static_cast<UINT>(ERROR_MORE_DATA), [&](char* text, DWORD* size) {
            return Msi().GetProductInfo(productCode.c_str(), property, text, size);
        });
    return result == ERROR_SUCCESS ? TextOf(buffer) : std::string();
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
            ERROR_SUCCESS)
            return components;
        if (Msi().DatabaseOpenView(
                database.Get(), "SELECT ComponentId FROM Component WHERE Directory_='INSTALLDIR'",
                view.Receive()) != ERROR_SUCCESS)
            return components;
        if (Msi().ViewExecute(view.Get(), 0) != ERROR_SUCCESS)
            return components;
        for (;;) {
            if (Msi().ViewFetch(view.Get(), record.Receive()) != ERROR_SUCCESS)
                break;
            std::vector<char> buffer;
            UINT result =
                ReadWhole(buffer, static_cast<UINT>(ERROR_MORE_DATA), [&](char* text, DWORD* size) {
                    return Msi().RecordGetString(record.Get(), 1, text, size);
                });
            std::string id = result == ERROR_SUCCESS ? TextOf(buffer) : std::string();
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
    if (productCode.empty())
        return std::string();
    std::vector<char> buffer;
    INSTALLSTATE state = ReadWhole(buffer, INSTALLSTATE_MOREDATA, [&](char* text, DWORD* size) {
        return Msi().GetComponentPath(productCode.c_str(), componentId.c_str(), text, size);
    });
    // A path never read whole names another folder.
    if (state == INSTALLSTATE_MOREDATA)
        return std::string();
    return Q7FsPath(TextOf(buffer)).GetFolder();
}
