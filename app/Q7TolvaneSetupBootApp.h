#pragma once
// The application object: one run of the setup is one pass through InitInstance.
#include "framework/FwApp.h"

class CQ7TolvaneSetupBootApp : public CFwApp {
public:
    CQ7TolvaneSetupBootApp();
    ~CQ7TolvaneSetupBootApp() override;

    // Runs the whole setup; always returns FALSE so no message loop runs.
    BOOL InitInstance() override;
    // Shuts GDI+ down when it was started.
    int ExitInstance() override;

    ULONG_PTR GetGdiplusToken() const { return m_gdiplusToken; }

private:
    void RunSetup();

    ULONG_PTR m_gdiplusToken = 0;
    bool m_oleInitialized = false;
};
