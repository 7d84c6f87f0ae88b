#pragma once
// Folder tests and creation, and embedded resources written to files. Nothing here
// raises: failures show only as false results or missing files.
#include <windows.h>

#include "fs/Q7FsPath.h"

// True when listing the folder finds at least one entry: false for a file or a
// missing path.
bool FolderExists(const Q7FsPath& path);

// Creates every missing folder of the path; true when all of them exist at the end.
// The first component (a drive or a server) is never tested or created. Folders
// created before a failure stay.
bool CreateFolderTree(const Q7FsPath& path);

// The same over characters of codePage (the ANSI code page above).
bool CreateFolderTree(const std::string& path, UINT codePage);

// Replaces the file with the bytes of the resource (integer id, named type) of the
// application's module. A missing resource leaves an empty file; a file that cannot
// be replaced is left as it is. Reports nothing.
void WriteResourceToFile(const char* file, WORD id, const char* type);

// The two folder operations CreateFolderTree builds on, so tests can script states
// a test machine cannot produce (network shares).
class IFolderOps {
public:
    virtual ~IFolderOps() = default;
    virtual bool FolderExists(const Q7FsPath& path) = 0;
    // True when the folder was created or already stands as a folder.
    virtual bool CreateFolder(const Q7FsPath& path) = 0;
};

// The implementation in use.
IFolderOps& FolderOps();

// Replaces the implementation in use (nullptr: the real one); returns the previous
// replacement, or nullptr when the real one was in use.
IFolderOps* SetFolderOps(IFolderOps* ops);
