#pragma once
// The welcome page's files on disk: a fresh folder under the temporary folder, the
// page and its stylesheet and images written there from the embedded resources,
// and the folder's removal when the finish screen goes away.
#include <windows.h>
#include <string>

#include "fs/Q7FsPath.h"

namespace FinishPage {

// Creates a new folder named by a new GUID (with braces) directly under the
// temporary folder and returns its path, without a trailing separator. Throws
// Error::Q7ExceptionText "Failed to create directory '<path>'" when it cannot.
Q7FsPath CreateContentFolder();

// Writes the RT_HTML resource resourceId of the application's module to path
// behind exactly one UTF-8 byte-order mark, whether or not the resource has one.
// Reports nothing: a missing resource leaves a file holding only the mark.
void WriteIndexPage(UINT resourceId, const std::string& path);

// Writes the stylesheet beside the page and the five images into the folder
// "images" below it. Reports nothing.
void WritePageFiles(const Q7FsPath& contentFolder);

// Deletes the folder with everything in it, depth first. What cannot be deleted
// (a read-only file, a file held open) stays, and so do the folders above it.
// Reports nothing.
void RemoveFolderTree(const Q7FsPath& folder);

} // namespace FinishPage
