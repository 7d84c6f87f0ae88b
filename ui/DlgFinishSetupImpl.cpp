#include "ui/DlgFinishSetupImpl.h"

#include "framework/FwResources.h"
#include "res/resource.h"
#include "ui/FinishPage.h"

CDlgFinishSetupImpl::CDlgFinishSetupImpl()
    : CDlgFinishSetup(FwLoadString(IDS_FINISH_TITLE), FwLoadString(IDS_FINISH_BUTTON), nullptr) {}

CDlgFinishSetupImpl::~CDlgFinishSetupImpl() {
    // The view goes before the base removes the page it shows.
    DestroyWindow();
}

BOOL CDlgFinishSetupImpl::OnInitDialog() {
    return InitDialogWithView(m_wndHtmlViewEx);
}

void CDlgFinishSetupImpl::FillBackground(boost::shared_ptr<Gdiplus::Graphics> graphics, int, int,
                                         int width, int height, int) {
    FillStripBelow(m_wndHtmlViewEx, *graphics, width, height);
}

void CDlgFinishSetupImpl::WritePageFiles() {
    FinishPage::WritePageFiles(m_pathContent);
}

void CDlgFinishSetupImpl::RunFinishAction() {
    COutlookLauncher launcher =
        m_launcherSystem ? COutlookLauncher(*m_launcherSystem) : COutlookLauncher();
    // No question: the user asked for exactly this by pressing the button.
    launcher.CloseAndStartOutlook(std::string());
    EndDialog(IDOK);
}
