#include "fs/Q7FileFind.h"

Q7FileFind::Q7FileFind(const char* pattern)
    : m_data(), m_pattern(pattern), m_folder(m_pattern.GetFolder()) {}

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
    const char* name = m_data.cFileName;
    return IsDirectory() && name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2]));
}

Q7FsPath Q7FileFind::GetFilePath() const {
    return InFolder(m_data.cFileName);
}

Q7FsPath Q7FileFind::GetShortFilePath() const {
    return InFolder(m_data.cAlternateFileName);
}

Q7FsPath Q7FileFind::InFolder(const char* name) const {
    return m_folder.Combine(name);
}
