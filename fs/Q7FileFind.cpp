#include "fs/Q7FileFind.h"

#include <cstring>

Q7FileFind::Q7FileFind(const char* pattern) : m_pattern(pattern) {
    ZeroMemory(&m_data, sizeof(m_data));
    m_folder = m_pattern.GetFolder();
}

Q7FileFind::~Q7FileFind() {
    if (m_handle != INVALID_HANDLE_VALUE)
        FindClose(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
}

bool Q7FileFind::FindNext() {
    ZeroMemory(&m_data, sizeof(m_data));
    if (m_first) {
        m_first = false;
        m_handle = FindFirstFileA(m_pattern.c_str(), &m_data);
        return m_handle != INVALID_HANDLE_VALUE;
    }
    if (m_handle == INVALID_HANDLE_VALUE)
        return false;
    return FindNextFileA(m_handle, &m_data) != FALSE;
}

bool Q7FileFind::IsDirectory() const {
    return (m_data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Q7FileFind::IsDots() const {
    return IsDirectory() &&
           (std::strcmp(m_data.cFileName, ".") == 0 || std::strcmp(m_data.cFileName, "..") == 0);
}

Q7FsPath Q7FileFind::GetFilePath() const {
    return m_folder.Combine(m_data.cFileName);
}

Q7FsPath Q7FileFind::GetShortFilePath() const {
    return m_folder.Combine(m_data.cAlternateFileName);
}
