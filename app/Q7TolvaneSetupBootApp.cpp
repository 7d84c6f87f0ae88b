#include "app/Q7TolvaneSetupBootApp.h"

#include <ole2.h>

#include "app/PackageSelection.h"
#include "error/Q7Exception.h"
#include "framework/FwGdiplus.h"
#include "framework/FwMessageBox.h"
#include "outlook/OutlookBitVersion.h"
#include "res/resource.h"
#include "tracking/DownloadInfo.h"
#include "tracking/FreewareProductsContainer.h"
#include "ui/DlgFinishSetupImpl.h"

CQ7TolvaneSetupBootApp::CQ7TolvaneSetupBootApp() = default;
CQ7TolvaneSetupBootApp::~CQ7TolvaneSetupBootApp() = default;

BOOL CQ7TolvaneSetupBootApp::InitInstance() {
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
    bool installed = false;
    switch (outlook.m_nBitness) {
    case OutlookBitness32:
        installed = SetupFor32BitOutlook();
        break;
    case OutlookBitness64:
        installed = SetupFor64BitOutlook();
        break;
    default:
        FwMessageBox(IDS_NO_OUTLOOK, MB_OK, static_cast<UINT>(-1));
        return;
    }
    if (!installed)
        return;

    if (m_gdiplusToken == 0 && FwGdiplusStartup(&m_gdiplusToken)) {
        CDlgFinishSetupImpl finish;
        finish.DoModal();
    }

    CFreewareProductsContainer products;
    std::string name = products.GetName(ProductOutlookTolvane);
    if (!name.empty()) {
        CDownloadInfo info(name);
        info.LoadFromResource();
        info.SaveToRegistry();
    }
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
    return CFwApp::ExitInstance();
}
