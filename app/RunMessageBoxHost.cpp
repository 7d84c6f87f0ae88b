#include "app/RunMessageBoxHost.h"

CRunMessageBoxHost::CRunMessageBoxHost(CInstallLog& log, bool show) : m_log(log), m_show(show) {
    m_previous = FwSetMessageBoxHost(this);
}

CRunMessageBoxHost::~CRunMessageBoxHost() {
    FwSetMessageBoxHost(m_previous);
}

int CRunMessageBoxHost::Show(HWND owner, const char* text, const char* caption, UINT type) {
    m_log.Line("%s: %s", caption ? caption : "", text ? text : "");
    if (m_show)
        return m_previous ? m_previous->Show(owner, text, caption, type)
                          : MessageBoxA(owner, text, caption, type);
    switch (type & MB_TYPEMASK) {
    case MB_OK:
        return IDOK;
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return IDNO;
    default:
        return IDCANCEL;
    }
}
