#include "app/Q7TolvaneSetupBootApp.h"

#include <ole2.h>

#include "app/PackageSelection.h"
#include "error/Q7Exception.h"
#include "framework/FwGdiplus.h"
#include "framework/FwMessageBox.h"
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
    return FALSE;
}

void CQ7TolvaneSetupBootApp::RunSetup() {
    CFwApp::InitInstance();
    // The package property reader talks to Windows Installer's automation object.
    if (!m_oleInitialized)
        m_oleInitialized = SUCCEEDED(OleInitialize(nullptr));
    SetAppName("Quorvel Tolvane");

    COutlookBitVersion outlook;
    UINT result = ERROR_INSTALL_FAILURE;
    switch (outlook.m_nBitness) {
    case OutlookBitness32:
        result = SetupFor32BitOutlook();
        break;
    case OutlookBitness64:
        result = SetupFor64BitOutlook();
        break;
    default:
        m_exitCode = ERROR_INSTALL_PLATFORM_UNSUPPORTED;
        FwMessageBox(IDS_NO_OUTLOOK, MB_OK, static_cast<UINT>(-1));
        return;
    }
    // From here on the code stays, also when the finish screen or the record fails.
    m_exitCode = result;
    if (!IsInstalledResult(result))
        return;

    // After ERROR_SUCCESS_REBOOT_INITIATED Windows is already restarting.
    if (result != ERROR_SUCCESS_REBOOT_INITIATED && m_gdiplusToken == 0) {
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
