#pragma once
// /extract: both embedded packages written into a folder, so administrators can
// deploy them with tools of their own. Nothing is installed or recorded.
#include <string>

#include "installer/InstallLog.h"

// Writes "MSI" 101 as QuorvelOutlookTolvane-x64.msi and "MSI" 102 as
// QuorvelOutlookTolvane-x86.msi into folder, creating it and its parents. A file
// that is already byte-identical is left alone; any other file in the way stops
// the run before anything is written. Throws Error::Q7Exception on every failure.
void ExtractPackages(const std::string& folder, CInstallLog& log);
