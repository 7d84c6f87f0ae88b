#include "app/PackageSelection.h"

bool SetupFor32BitOutlook() {
    return false;
}

bool SetupFor64BitOutlook() {
    return false;
}
