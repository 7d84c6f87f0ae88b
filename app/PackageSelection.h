#pragma once
// Installs the add-in package for the detected Outlook bitness. Returns the
// outcome as a Windows Installer code: ERROR_SUCCESS or one of the two reboot
// results when the product was installed (IsInstalledResult); ERROR_PRODUCT_VERSION
// after the other-edition message; ERROR_INSTALL_USEREXIT when the user declined
// the replacement; otherwise what Windows Installer returned.
#include <windows.h>
#include <msi.h>

#include "installer/InstallLog.h"

// How the package is installed: Windows Installer's user interface, whether the
// user is asked before an older version is replaced, and the run's log (none: null).
struct InstallSettings {
    INSTALLUILEVEL uiLevel = INSTALLUILEVEL_FULL;
    bool askBeforeReplacing = true;
    CInstallLog* log = nullptr;
};

UINT SetupFor32BitOutlook(const InstallSettings& settings);
UINT SetupFor64BitOutlook(const InstallSettings& settings);
// With the settings of an interactive run.
UINT SetupFor32BitOutlook();
UINT SetupFor64BitOutlook();
