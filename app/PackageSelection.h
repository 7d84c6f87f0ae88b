#pragma once
// Installs the add-in package for the detected Outlook bitness. True when the
// product was installed; false when the run is to end without a finish screen.
bool SetupFor32BitOutlook();
bool SetupFor64BitOutlook();
