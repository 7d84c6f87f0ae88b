#pragma once
// The finish screen shown after a successful installation.

class CDlgFinishSetupImpl {
public:
    CDlgFinishSetupImpl();
    virtual ~CDlgFinishSetupImpl();

    // Runs the screen modally; returns the dialog's result.
    virtual int DoModal();
};
