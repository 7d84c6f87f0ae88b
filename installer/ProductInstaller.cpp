#include "installer/ProductInstaller.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "framework/FwMessageBox.h"
#include "framework/FwString.h"
#include "installer/ProductFinder2.h"
#include "error/Raise.h"
#include "installer/WindowsInstaller.h"
#include "res/resource.h"

namespace {

// FATALEXIT through EXTRADEBUG: everything Windows Installer can write.
const DWORD kLogMode = 0x3fdf;

std::string VersionText(const CVersionNumber& version) {
    std::string text;
    char digits[16];
    for (int part : version) {
        if (!text.empty())
            text += '.';
        text += _itoa(part, digits, 10);
    }
    return text;
}

std::string JoinFeatures(const std::vector<std::string>& names) {
    std::string joined;
    for (const std::string& name : names) {
        // Empty names are left out, and so is their separator: no ",B" or "A,,B".
        if (name.empty())
            continue;
        if (!joined.empty())
            joined += ',';
        joined += name;
    }
    return joined;
}

} // namespace

std::string MsiQuotedValue(const std::string& value) {
    // A quote is never a trail byte of a double-byte character, so bytes will do.
    std::string quoted(1, '"');
    for (char ch : value) {
        if (ch == '"')
            quoted += '"';
        quoted += ch;
    }
    quoted += '"';
    return quoted;
}

bool IsInstalledResult(UINT result) {
    return result == ERROR_SUCCESS || result == ERROR_SUCCESS_REBOOT_REQUIRED ||
           result == ERROR_SUCCESS_REBOOT_INITIATED;
}

CProductInstaller::CProductInstaller(CRefCountPtr<CMsiPackageDesc> package, bool writeLog)
    : m_packages(1, package), m_writeLog(writeLog) {}

CProductInstaller::~CProductInstaller() = default;

CRefCountPtr<CMsiPackageDesc> CProductInstaller::GetDefaultPackage() {
    return m_packages.empty() ? CRefCountPtr<CMsiPackageDesc>() : m_packages.front();
}

bool CProductInstaller::CanProceed() {
    return true;
}

bool CProductInstaller::ConfirmReplace() {
    return true;
}

FeatureList CProductInstaller::GetFeatures() {
    return FeatureList();
}

bool CProductInstaller::DetectInstalledProduct(const std::string& productCode) const {
    char buffer[64];
    std::memset(buffer, 0, sizeof buffer);
    for (DWORD index = 0; Msi().EnumProducts(index, buffer) == ERROR_SUCCESS; ++index) {
        buffer[sizeof buffer - 1] = '\0';
        // Product codes are compared exactly: a code differing in case is another product.
        if (productCode == buffer)
            return true;
    }
    return false;
}

CRefCountPtr<CMsiPackageDesc> CProductInstaller::Proceed() {
    CRefCountPtr<CMsiPackageDesc> package = m_packages.FindInstalledPackage();
    if (!package)
        package = GetDefaultPackage();
    if (!package)
        RaiseText("ProductInstaller", "CProductInstaller::Proceed", 45,
                  "Failed to find product to be installed.");

    std::string productCode = package->GetProductCode();
    m_productInstalled = DetectInstalledProduct(productCode);

    Q7FsPath path = package->GetPath();
    // A log of the run stands in for the old fixed one. Lines go to an active log only.
    CInstallLog* log = m_log && m_log->IsActive() ? m_log : nullptr;
    Msi().SetInternalUI(m_uiLevel, &m_ownerWindow);
    if (m_writeLog && !log)
        Msi().EnableLog(kLogMode, FwFormat("c:\\%s.log", path.GetFileTitle().c_str()).c_str(), 0);

    if (!CanProceed()) {
        m_installResult = ERROR_INSTALL_USEREXIT;
        return CRefCountPtr<CMsiPackageDesc>();
    }

    std::string features = JoinFeatures(GetFeatures().names);
    // Q7STSDATA, the source-tracking text, is always passed empty.
    if (m_productInstalled)
        m_commandLine = FwFormat("ACTION=INSTALL REINSTALL=%s REINSTALLMODE=vomus",
                                 features.empty() ? "ALL" : features.c_str());
    else if (features.empty())
        m_commandLine = "ACTION=INSTALL Q7STSDATA=\"\"";
    else
        m_commandLine = FwFormat("ACTION=INSTALL ADDLOCAL=%s Q7STSDATA=\"\"", features.c_str());

    CProductFinder2 finder(package->GetUpgradeCode());
    CVersionNumber packageVersion = package->GetProductVersion();
    std::string location = finder.GetInstallLocation();
    if (log) {
        log->Line("Package %s: product %s, version %s, %s", path.c_str(), productCode.c_str(),
                  VersionText(packageVersion).c_str(),
                  m_productInstalled ? "installed: repair" : "not installed");
        std::string installed = finder.GetProductCode();
        if (!installed.empty())
            log->Line("Installed product of the family: %s, version %s, in '%s'", installed.c_str(),
                      finder.GetVersionString().c_str(), location.c_str());
    }
    if (finder.IsOlderThan(std::move(packageVersion))) {
        if (!ConfirmReplace()) {
            if (log)
                log->Line("The older version is kept: the replacement was declined");
            m_installResult = ERROR_INSTALL_USEREXIT;
            return CRefCountPtr<CMsiPackageDesc>();
        }
        if (log)
            log->Line("The older version is replaced");
        // The location comes from whatever package registered the older product.
        m_commandLine += " OLDINSTALLATIONPATH=";
        m_commandLine += MsiQuotedValue(location);
    }
    m_commandLine += m_extraProperties;

    if (log) {
        log->Line("Windows Installer command line: %s", m_commandLine.c_str());
        // Enabled only now, after the setup's own lines: Windows Installer appends.
        UINT enabled =
            Msi().EnableLog(kLogMode, log->GetPath().c_str(), INSTALLLOGATTRIBUTES_APPEND);
        if (enabled != ERROR_SUCCESS)
            log->Line("Windows Installer's log could not be enabled: %u", enabled);
    }
    m_installResult = Msi().InstallProduct(path.c_str(), m_commandLine.c_str());
    if (log) {
        log->KeepOwnLinesFirst();
        log->Line("Windows Installer returned %u", m_installResult);
    }
    if (!IsInstalledResult(m_installResult))
        return CRefCountPtr<CMsiPackageDesc>();
    return package;
}

CProductInstallerBase::CProductInstallerBase(bool writeLog, CRefCountPtr<CMsiPackageDesc> package)
    : CProductInstaller(std::move(package), writeLog) {}

CProductInstallerBase::~CProductInstallerBase() = default;

bool CProductInstallerBase::ConfirmReplace() {
    return FwMessageBox(IDS_CONFIRM_REPLACE, MB_YESNO | MB_ICONQUESTION, static_cast<UINT>(-1)) ==
           IDYES;
}
