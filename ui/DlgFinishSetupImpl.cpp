#include "ui/DlgFinishSetupImpl.h"

#include <windows.h>

CDlgFinishSetupImpl::CDlgFinishSetupImpl() = default;
CDlgFinishSetupImpl::~CDlgFinishSetupImpl() = default;

int CDlgFinishSetupImpl::DoModal() {
    // Not built yet: there is no screen to show.
    return IDOK;
}
