#include "ui/DlgFinishSetup.h"

#include "framework/FwResources.h"
#include "res/resource.h"

CDlgFinishSetup::CDlgFinishSetup(std::string title, std::string buttonCaption, HWND parent)
    : CGdiPlusDlg(IDD_FINISH_SETUP, parent), m_nPageResourceId(IDR_PAGE_INDEX),
      m_strTitle(std::move(title)), m_strButtonCaption(std::move(buttonCaption)) {
    CreateContentFolder();
    // A shared icon: never destroyed.
    m_hIcon = LoadIconA(FwResourceModule(), MAKEINTRESOURCEA(IDI_SETUP));
}

CDlgFinishSetup::~CDlgFinishSetup() {
    // The view must let go of the page's files before they are removed.
    DestroyWindow();
    try {
        RemoveFolderTree(m_pathContent);
    } catch (...) {
    }
}

BOOL CDlgFinishSetup::PreTranslateMessage(MSG* msg) {
    // Esc reaches the focused window as an ordinary key: the dialog manager would
    // turn it into IDCANCEL and close the screen by accident.
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE)
        return FALSE;
    return CGdiPlusDlg::PreTranslateMessage(msg);
}

void CDlgFinishSetup::DoDataExchange() {
    FwDDXControl(GetSafeHwnd(), IDC_FINISH_CLOSE, m_btnClose);
}

BOOL CDlgFinishSetup::OnInitDialog() {
    return InitDialogWithView(m_wndHtmlView);
}

BOOL CDlgFinishSetup::InitDialogWithView(CHtmlViewControl& view) {
    CGdiPlusDlg::OnInitDialog();
    HWND hwnd = GetSafeHwnd();
    SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    SetWindowTextA(m_btnClose.GetSafeHwnd(), m_strButtonCaption.c_str());
    m_btnClose.FitToText(m_strButtonCaption);

    // The page's files are in place before the view looks for them.
    Q7FsPath index = m_pathContent.Combine("index.htm");
    WriteIndexPage(index);
    WritePageFiles();

    RECT client = {};
    GetClientRect(hwnd, &client);
    RECT viewRect = {0, 0, client.right, client.bottom - kStripHeight};
    view.Create(nullptr, "", WS_CHILD | WS_VISIBLE, viewRect, hwnd, IDC_FINISH_VIEW);
    view.Navigate(index.c_str());
    HWND viewHwnd = view.GetSafeHwnd();
    if (viewHwnd) {
        LONG style = GetWindowLongA(viewHwnd, GWL_STYLE);
        SetWindowLongA(viewHwnd, GWL_STYLE, style & ~WS_BORDER);
    }

    SetWindowTextA(hwnd, m_strTitle.c_str());
    return TRUE;
}

void CDlgFinishSetup::FillBackground(boost::shared_ptr<Gdiplus::Graphics> graphics, int, int,
                                     int width, int height, int) {
    FillStripBelow(m_wndHtmlView, *graphics, width, height);
}

void CDlgFinishSetup::FillStripBelow(const CHtmlViewControl& view, Gdiplus::Graphics& graphics,
                                     int width, int height) {
    // The view covers the rest; only the strip below it is painted.
    RECT rc = {};
    GetClientRect(view.GetSafeHwnd(), &rc);
    int vh = rc.bottom - rc.top;
    FillArea(graphics, Gdiplus::Rect(0, vh, width, height - vh), m_clrTop, m_clrBottom, true);
    Gdiplus::Pen pen(Gdiplus::Color(0xFF808080), 2.0f);
    graphics.DrawLine(&pen, 0, vh, width, vh);
}

bool CDlgFinishSetup::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDC_FINISH_CLOSE && HIWORD(wParam) == BN_CLICKED) {
        OnBnClickedClose();
        return true;
    }
    return CGdiPlusDlg::OnCommand(wParam, lParam);
}
