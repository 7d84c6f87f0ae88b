#include "ui/HtmlViewControl.h"

CHtmlViewControl::CHtmlViewControl() = default;

CHtmlViewControlEX::CHtmlViewControlEX() = default;

BOOL CHtmlViewControl::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!CFwHtmlView::PreCreateWindow(cs))
        return FALSE;
    cs.dwExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
    return TRUE;
}

void CHtmlViewControl::PostNcDestroy() {}

HRESULT CHtmlViewControl::OnShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) {
    return S_OK;
}

HRESULT CHtmlViewControl::OnGetHostInfo(DOCHOSTUIINFO* info) {
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO;
    return S_OK;
}

HRESULT CHtmlViewControlEX::OnGetHostInfo(DOCHOSTUIINFO* info) {
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
    return S_OK;
}
