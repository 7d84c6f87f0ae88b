#include "app/Q7TolvaneSetupBootApp.h"

#include <ole2.h>

#include "app/PackageExtraction.h"
#include "app/PackageSelection.h"
#include "error/Q7Exception.h"
#include "error/Raise.h"
#include "framework/FwGdiplus.h"
#include "framework/FwMessageBox.h"
#include "framework/FwString.h"
#include "installer/ProductInstaller.h"
#include "outlook/OutlookBitVersion.h"
#include "res/resource.h"
#include "tracking/DownloadInfo.h"
#include "tracking/FreewareProductsContainer.h"
#include "ui/DlgFinishSetupImpl.h"

CQ7TolvaneSetupBootApp::CQ7TolvaneSetupBootApp() = default;
CQ7TolvaneSetupBootApp::~CQ7TolvaneSetupBootApp() = default;

BOOL CQ7TolvaneSetupBootApp::InitInstance() {
    // Until the product is installed, any error shown ends the run as a failure.
    m_exitCode = ERROR_INSTALL_FAILURE;
    try {
        RunSetup();
    } catch (const Error::Q7Exception& error) {
        error.ReportError();
    } catch (...) {
        FwMessageBox("Uncpecified error while installing Quorvel Outlook Tolvane.", MB_OK, 0);
    }
    m_log.Line("Exit code %u", m_exitCode);
    m_boxes.reset();
    return FALSE;
}

void CQ7TolvaneSetupBootApp::RunSetup() {
    CFwApp::InitInstance();
    SetAppName("Quorvel Tolvane");
    if (!ApplyCommandLine())
        return;
    if (!m_options.GetExtractFolder().empty()) {
        ExtractPackages(m_options.GetExtractFolder(), m_log);
        m_exitCode = ERROR_SUCCESS;
        return;
    }
    // The finish screen's HTML view is an OLE control hosted on this thread.
    if (!m_oleInitialized)
        m_oleInitialized = SUCCEEDED(OleInitialize(nullptr));
    Install();
}

bool CQ7TolvaneSetupBootApp::ApplyCommandLine() {
    // A deployment tool learns of a bad command line before anything happens.
    m_options.Parse(m_commandLine);
    bool quiet = m_options.IsQuiet();
    if (!m_options.IsValid()) {
        m_exitCode = ERROR_INVALID_COMMAND_LINE;
        if (!quiet)
            FwMessageBox(
                FwFormat("%s\n\n%s", m_options.GetError().c_str(), CSetupCommandLine::GetUsage())
                    .c_str(),
                MB_OK);
        return false;
    }
    if (m_options.WantsHelp()) {
        m_exitCode = ERROR_SUCCESS;
        if (!quiet)
            FwMessageBox(CSetupCommandLine::GetUsage(), MB_OK | MB_ICONINFORMATION);
        return false;
    }
    const std::string& logFile = m_options.GetLogFile();
    if (quiet || !logFile.empty())
        m_boxes.emplace(m_log, !quiet);
    if (!logFile.empty() && !m_log.Create(logFile)) {
        m_exitCode = ERROR_INSTALL_LOG_FAILURE;
        RaiseCommon(GetLastError(), "Q7TolvaneSetupBootApp", nullptr, __LINE__,
                    "Failed to create file '%s'", logFile.c_str());
    }
    m_log.Line("Command line: %s", FwNarrow(m_commandLine).c_str());
    return true;
}

void CQ7TolvaneSetupBootApp::Install() {
    InstallSettings settings;
    settings.uiLevel = m_options.GetUILevel();
    settings.askBeforeReplacing = !m_options.IsUnattended();
    settings.log = &m_log;

    COutlookBitVersion outlook;
    UINT result = ERROR_INSTALL_FAILURE;
    switch (outlook.m_nBitness) {
    case OutlookBitness32:
        m_log.Line("Outlook: 32-bit");
        result = SetupFor32BitOutlook(settings);
        break;
    case OutlookBitness64:
        m_log.Line("Outlook: 64-bit");
        result = SetupFor64BitOutlook(settings);
        break;
    default:
        m_log.Line("Outlook: none");
        m_exitCode = ERROR_INSTALL_PLATFORM_UNSUPPORTED;
        FwMessageBox(IDS_NO_OUTLOOK, MB_OK, static_cast<UINT>(-1));
        return;
    }
    // From here on the code stays, also when the finish screen or the record fails.
    m_exitCode = result;
    if (!IsInstalledResult(result))
        return;

    // Unattended runs have no finish screen, so Outlook is not restarted either.
    // After ERROR_SUCCESS_REBOOT_INITIATED Windows is already restarting.
    if (!m_options.IsUnattended() && result != ERROR_SUCCESS_REBOOT_INITIATED &&
        m_gdiplusToken == 0) {
        // A start that failed leaves nothing to shut down.
        if (FwGdiplusStartup(&m_gdiplusToken))
            RunFinishScreen();
        else
            m_gdiplusToken = 0;
    }

    CFreewareProductsContainer products;
    std::string name = products.GetName(ProductOutlookTolvane);
    if (!name.empty()) {
        CDownloadInfo info(name);
        info.LoadFromResource();
        info.SaveToRegistry();
    }
}

void CQ7TolvaneSetupBootApp::RunFinishScreen() {
    CDlgFinishSetupImpl finish;
    finish.DoModal();
}

int CQ7TolvaneSetupBootApp::ExitInstance() {
    if (m_gdiplusToken != 0) {
        FwGdiplusShutdown(m_gdiplusToken);
        m_gdiplusToken = 0;
    }
    if (m_oleInitialized) {
        OleUninitialize();
        m_oleInitialized = false;
    }
    CFwApp::ExitInstance();
    return static_cast<int>(m_exitCode);
}
