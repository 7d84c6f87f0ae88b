#pragma once
// Installs the add-in package for the detected Outlook bitness. Returns the
// outcome as a Windows Installer code: ERROR_SUCCESS or one of the two reboot
// results when the product was installed (IsInstalledResult); ERROR_PRODUCT_VERSION
// after the other-edition message; ERROR_INSTALL_USEREXIT when the user declined
// the replacement; otherwise what Windows Installer returned.
#include <windows.h>

UINT SetupFor32BitOutlook();
UINT SetupFor64BitOutlook();
