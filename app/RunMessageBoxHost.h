#pragma once
// Message boxes of a run with a log, or of a quiet run: each text goes to the log,
// and a box is shown only when the run may show windows. Installed for as long as
// the object lives.
#include "framework/FwMessageBox.h"
#include "installer/InstallLog.h"

class CRunMessageBoxHost : public IFwMessageBoxHost {
public:
    CRunMessageBoxHost(CInstallLog& log, bool show);
    CRunMessageBoxHost(const CRunMessageBoxHost&) = delete;
    CRunMessageBoxHost& operator=(const CRunMessageBoxHost&) = delete;
    ~CRunMessageBoxHost() override;

    // A box that is not shown is answered as declined: OK for a notice, No for a
    // question, Cancel otherwise.
    int Show(HWND owner, const char* text, const char* caption, UINT type) override;

private:
    CInstallLog& m_log;
    bool m_show;
    IFwMessageBoxHost* m_previous;
};
