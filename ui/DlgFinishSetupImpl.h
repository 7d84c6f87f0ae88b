#pragma once
// This product's finish screen: its welcome page's stylesheet and images, a view
// that scrolls, and a button that restarts Outlook so the add-in loads.
#include "outlook/OutlookLauncher.h"
#include "ui/DlgFinishSetup.h"

class CDlgFinishSetupImpl : public CDlgFinishSetup {
public:
    CDlgFinishSetupImpl();
    ~CDlgFinishSetupImpl() override;

    void FillBackground(boost::shared_ptr<Gdiplus::Graphics> graphics, int x, int y, int width,
                        int height, int mode) override;
    void WritePageFiles() override;
    void RunFinishAction() override;

    // For tests: the processes and the shell the button works on.
    void SetLauncherSystem(IOutlookLauncherSystem* system) { m_launcherSystem = system; }

protected:
    BOOL OnInitDialog() override;

    CHtmlViewControlEX m_wndHtmlViewEx;

private:
    IOutlookLauncherSystem* m_launcherSystem = nullptr;
};
