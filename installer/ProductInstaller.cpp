#include "installer/ProductInstaller.h"

#include <cstring>

#include "error/Q7Exception.h"
#include "framework/FwMessageBox.h"
#include "framework/FwString.h"
#include "installer/ProductFinder2.h"
#include "installer/WindowsInstaller.h"
#include "res/resource.h"

namespace {

// FATALEXIT through EXTRADEBUG: everything Windows Installer can write.
const DWORD kLogMode = 0x3fdf;

std::string VersionText(const CVersionNumber& version) {
    std::string text;
    for (int part : version)
        text += FwFormat(text.empty() ? "%d" : ".%d", part);
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
    std::string doubled;
    for (char ch : value) {
        if (ch == '"')
            doubled += '"';
        doubled += ch;
    }
    return FwFormat("\"%s\"", doubled.c_str());
}

bool IsInstalledResult(UINT result) {
    return result == ERROR_SUCCESS || result == ERROR_SUCCESS_REBOOT_REQUIRED ||
           result == ERROR_SUCCESS_REBOOT_INITIATED;
}

CProductInstaller::CProductInstaller(CRefCountPtr<CMsiPackageDesc> package, bool writeLog)
    : m_writeLog(writeLog) {
    m_packages.push_back(package);
}

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
        throw Error::Q7ExceptionText("Failed to find product to be installed.", "ProductInstaller",
                                     "CProductInstaller::Proceed", 45);

    std::string productCode = package->GetProductCode();
    m_productInstalled = DetectInstalledProduct(productCode);

    Q7FsPath path = package->GetPath();
    // A log of the run stands in for the old fixed one.
    CInstallLog noLog;
    CInstallLog& log = m_log ? *m_log : noLog;
    Msi().SetInternalUI(m_uiLevel, &m_ownerWindow);
    if (m_writeLog && !log.IsActive()) {
        std::string logPath = FwFormat("c:\\%s.log", path.GetFileTitle().c_str());
        Msi().EnableLog(kLogMode, logPath.c_str(), 0);
    }

    if (!CanProceed()) {
        m_installResult = ERROR_INSTALL_USEREXIT;
        return CRefCountPtr<CMsiPackageDesc>();
    }

    std::string features = JoinFeatures(GetFeatures().names);
    if (!m_productInstalled) {
        std::string sourceData = MsiQuotedValue("");
        m_commandLine = features.empty()
                            ? FwFormat("ACTION=INSTALL Q7STSDATA=%s", sourceData.c_str())
                            : FwFormat("ACTION=INSTALL ADDLOCAL=%s Q7STSDATA=%s", features.c_str(),
                                       sourceData.c_str());
    } else {
        m_commandLine =
            features.empty()
                ? std::string("ACTION=INSTALL REINSTALL=ALL REINSTALLMODE=vomus")
                : FwFormat("ACTION=INSTALL REINSTALL=%s REINSTALLMODE=vomus", features.c_str());
    }

    CProductFinder2 finder(package->GetUpgradeCode());
    CVersionNumber packageVersion = package->GetProductVersion();
    log.Line("Package %s: product %s, version %s, %s", path.c_str(), productCode.c_str(),
             VersionText(packageVersion).c_str(),
             m_productInstalled ? "installed: repair" : "not installed");
    if (!finder.GetProductCode().empty())
        log.Line("Installed product of the family: %s, version %s, in '%s'",
                 finder.GetProductCode().c_str(), finder.GetVersionString().c_str(),
                 finder.GetInstallLocation().c_str());
    if (finder.IsOlderThan(packageVersion)) {
        if (!ConfirmReplace()) {
            log.Line("The older version is kept: the replacement was declined");
            m_installResult = ERROR_INSTALL_USEREXIT;
            return CRefCountPtr<CMsiPackageDesc>();
        }
        log.Line("The older version is replaced");
        // The location comes from whatever package registered the older product.
        m_commandLine += FwFormat(" OLDINSTALLATIONPATH=%s",
                                  MsiQuotedValue(finder.GetInstallLocation()).c_str());
    }
    if (!m_extraProperties.empty())
        m_commandLine += m_extraProperties;

    log.Line("Windows Installer command line: %s", m_commandLine.c_str());
    if (log.IsActive()) {
        // Enabled only now, after the setup's own lines: Windows Installer appends.
        UINT enabled =
            Msi().EnableLog(kLogMode, log.GetPath().c_str(), INSTALLLOGATTRIBUTES_APPEND);
        if (enabled != ERROR_SUCCESS)
            log.Line("Windows Installer's log could not be enabled: %u", enabled);
    }
    m_installResult = Msi().InstallProduct(path.c_str(), m_commandLine.c_str());
    log.KeepOwnLinesFirst();
    log.Line("Windows Installer returned %u", m_installResult);
    if (!IsInstalledResult(m_installResult))
        return CRefCountPtr<CMsiPackageDesc>();
    return package;
}

CProductInstallerBase::CProductInstallerBase(bool writeLog, CRefCountPtr<CMsiPackageDesc> package)
    : CProductInstaller(package, writeLog) {}

CProductInstallerBase::~CProductInstallerBase() = default;

bool CProductInstallerBase::ConfirmReplace() {
    return FwMessageBox(IDS_CONFIRM_REPLACE, MB_YESNO | MB_ICONQUESTION, static_cast<UINT>(-1)) ==
           IDYES;
}
