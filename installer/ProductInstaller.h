#pragma once
// Turns a package descriptor into one Windows Installer transaction: fresh
// installation, repair of the installed product, or upgrade of an older version
// of the family with its old folder passed on. CProductInstaller decides without
// asking; CProductInstallerBase asks before an older version is replaced.
#include <windows.h>
#include <msi.h>

#include <string>
#include <vector>

#include "installer/InstallLog.h"
#include "installer/MsiPackageDesc.h"

// A value between quotes for a Windows Installer command line, each quote in it
// doubled: a value can then neither end early nor bring properties of its own.
std::string MsiQuotedValue(const std::string& value);

// True for the results that mean the product was installed: ERROR_SUCCESS and the
// two reboot results (required, or already initiated by Windows Installer).
bool IsInstalledResult(UINT result);

struct FeatureList {
    std::vector<std::string> names;
    int flag = 1;
    std::string separator = ";";
};

class CProductInstaller {
public:
    CProductInstaller(CRefCountPtr<CMsiPackageDesc> package, bool writeLog);
    CProductInstaller(const CProductInstaller&) = delete;
    CProductInstaller& operator=(const CProductInstaller&) = delete;
    virtual ~CProductInstaller();

    virtual CRefCountPtr<CMsiPackageDesc> GetDefaultPackage();
    virtual bool CanProceed();
    virtual bool ConfirmReplace();
    virtual FeatureList GetFeatures();

    // Installs the chosen package; returns it when Windows Installer installed it
    // (IsInstalledResult), empty when declined, failed or cancelled. Throws
    // Error::Q7ExceptionText when there is no package to install.
    CRefCountPtr<CMsiPackageDesc> Proceed();

    // Windows Installer's user interface for the installation (INSTALLUILEVEL_FULL
    // unless set).
    void SetUILevel(INSTALLUILEVEL level) { m_uiLevel = level; }
    // The run's log (not owned; null or inactive: none). Proceed writes its decisions
    // there, has Windows Installer append its own log, then writes the result.
    void SetLog(CInstallLog* log) { m_log = log; }

    const std::string& GetCommandLine() const { return m_commandLine; }
    bool IsProductInstalled() const { return m_productInstalled; }
    // What Proceed ended with: Windows Installer's result, or ERROR_INSTALL_USEREXIT
    // when it was not called because the installation was declined.
    UINT GetInstallResult() const { return m_installResult; }

protected:
    // Appended unchanged at the very end of the command line.
    std::string m_extraProperties;

private:
    bool DetectInstalledProduct(const std::string& productCode) const;

    HWND m_ownerWindow = nullptr;
    CMsiPackageDescVector m_packages;
    bool m_writeLog;
    bool m_productInstalled = false;
    std::string m_commandLine;
    UINT m_installResult = ERROR_INSTALL_FAILURE;
    INSTALLUILEVEL m_uiLevel = INSTALLUILEVEL_FULL;
    CInstallLog* m_log = nullptr;
};

class CProductInstallerBase : public CProductInstaller {
public:
    CProductInstallerBase(bool writeLog, CRefCountPtr<CMsiPackageDesc> package);
    ~CProductInstallerBase() override;

    // Asks the user (string 213); true only on Yes.
    bool ConfirmReplace() override;
};
