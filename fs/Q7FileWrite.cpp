#include "fs/Q7FileWrite.h"

Q7FileWrite::~Q7FileWrite() {
    Close();
}

void Q7FileWrite::Close() {
    if (IsOpen())
        CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
}

bool Q7FileWrite::Create(const char* path) {
    Close();
    if (!path)
        return false;
    // A read-only file is never replaced: Windows refuses it, but not every file
    // system does (Wine running as root truncates it).
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    m_handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return IsOpen();
}

bool Q7FileWrite::Write(const void* data, DWORD size) {
    if (!IsOpen() || (size != 0 && !data))
        return false;
    DWORD written = 0;
    if (!WriteFile(m_handle, data, size, &written, nullptr))
        return false;
    return written == size;
}

bool Q7FileWrite::Write(const std::string& text) {
    if (text.size() > MAXDWORD)
        return false;
    return Write(text.data(), static_cast<DWORD>(text.size()));
}
