#include "fs/Q7FileReadLock.h"

Q7FileReadLock::~Q7FileReadLock() {
    Close();
}

bool Q7FileReadLock::Open(const char* path) {
    Close();
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    m_handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return IsOpen();
}

void Q7FileReadLock::Close() {
    if (IsOpen())
        CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
}
