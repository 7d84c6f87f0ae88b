#pragma once
// Owner of one file handle opened for writing.
#include <windows.h>
#include <string>

class Q7FileWrite {
public:
    Q7FileWrite() = default;
    explicit Q7FileWrite(HANDLE handle) : m_handle(handle) {}
    Q7FileWrite(const Q7FileWrite&) = delete;
    Q7FileWrite& operator=(const Q7FileWrite&) = delete;
    virtual ~Q7FileWrite();

    // Creates or truncates the file for writing (others may read it meanwhile);
    // false when it cannot be opened or is read-only.
    bool Create(const char* path);

    // One WriteFile call with all the bytes; false when not open or the write failed.
    bool Write(const void* data, DWORD size);
    bool Write(const std::string& text);

    bool IsOpen() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    void Close();

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};
