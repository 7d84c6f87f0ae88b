#pragma once
// Owner of one file handle opened for reading only and shared for reading only:
// while it is held, nobody can write, delete or rename the file, and readers that
// ask for no more than reading still open it.
#include <windows.h>

class Q7FileReadLock {
public:
    Q7FileReadLock() = default;
    Q7FileReadLock(const Q7FileReadLock&) = delete;
    Q7FileReadLock& operator=(const Q7FileReadLock&) = delete;
    virtual ~Q7FileReadLock();

    // Opens an existing file; false (GetLastError tells why) when it cannot.
    bool Open(const char* path);
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    void Close();

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};
