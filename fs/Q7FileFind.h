#pragma once
// One enumeration of the entries that match a wildcard pattern; owns the search handle.
#include <windows.h>

#include "fs/Q7FsPath.h"

class Q7FileFind {
public:
    explicit Q7FileFind(const char* pattern);
    Q7FileFind(const Q7FileFind&) = delete;
    Q7FileFind& operator=(const Q7FileFind&) = delete;
    virtual ~Q7FileFind();

    // True when a (next) entry was found and is now current; false at the end and on errors.
    bool FindNext();

    // The current entry is the folder entry "." or "..".
    bool IsDots() const;
    bool IsDirectory() const;

    Q7FsPath GetFilePath() const;
    Q7FsPath GetShortFilePath() const;
    const WIN32_FIND_DATAA& GetFindData() const { return m_data; }

    // INVALID_HANDLE_VALUE until a search succeeded; only a valid handle is closed.
    HANDLE GetHandle() const { return m_handle; }

protected:
    WIN32_FIND_DATAA& FindData() { return m_data; }

private:
    Q7FsPath InFolder(const char* name) const;

    HANDLE m_handle = INVALID_HANDLE_VALUE;
    bool m_first = true;
    WIN32_FIND_DATAA m_data;
    Q7FsPath m_pattern;
    Q7FsPath m_folder;
};
