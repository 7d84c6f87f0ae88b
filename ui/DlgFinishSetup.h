#pragma once
// The general finish screen: a welcome page written to a fresh temporary folder
// and shown in an HTML view above a strip with one button. What else the page
// needs and what the button does are left to a subclass.
#include <string>

#include "fs/Q7FsPath.h"
#include "ui/ButtonCloseFinishDlg.h"
#include "ui/FinishPage.h"
#include "ui/GdiPlusDlg.h"
#include "ui/HtmlViewControl.h"

class CDlgFinishSetup : public CGdiPlusDlg {
public:
    // Creates the content folder; throws Error::Q7ExceptionText when it cannot.
    CDlgFinishSetup(std::string title, std::string buttonCaption, HWND parent);
    // Removes the content folder with everything in it; never throws.
    ~CDlgFinishSetup() override;

    BOOL PreTranslateMessage(MSG* msg) override;
    void FillBackground(boost::shared_ptr<Gdiplus::Graphics> graphics, int x, int y, int width,
                        int height, int mode) override;

    // Every file of the page but the index page, into the content folder.
    virtual void WritePageFiles() = 0;
    // What the button does.
    virtual void RunFinishAction() = 0;

    void CreateContentFolder() { m_pathContent = FinishPage::CreateContentFolder(); }
    void WriteIndexPage(std::string path) { FinishPage::WriteIndexPage(m_nPageResourceId, path); }
    void RemoveFolderTree(Q7FsPath folder) { FinishPage::RemoveFolderTree(folder); }

    const Q7FsPath& GetContentFolder() const { return m_pathContent; }

    static const int kStripHeight = 50;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnBnClickedClose() { RunFinishAction(); }

    // The initialisation and the strip painting, against the view a class shows.
    BOOL InitDialogWithView(CHtmlViewControl& view);
    void FillStripBelow(const CHtmlViewControl& view, Gdiplus::Graphics& graphics, int width,
                        int height);

    Q7FsPath m_pathContent;
    UINT m_nPageResourceId;
    std::string m_strTitle;
    std::string m_strButtonCaption;
    CHtmlViewControl m_wndHtmlView;
    CButtonCloseFinishDlg m_btnClose;
    HICON m_hIcon = nullptr;
};
