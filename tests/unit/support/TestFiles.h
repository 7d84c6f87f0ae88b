#pragma once
// Whole files read and written by the file-system tests, without the code under test
// in between (writing goes through Q7FileWrite, which those tests rely on).
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "fs/Q7FileWrite.h"

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
    }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

inline bool ReadWholeFile(const std::string& path, std::string& bytes) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE)
        return false;
    bytes.clear();
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file.Get(), chunk, sizeof(chunk), &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    return true;
}

inline void WriteWholeFile(const std::string& path, const std::string& bytes) {
    Q7FileWrite out;
    ASSERT_TRUE(out.Create(path.c_str())) << path;
    ASSERT_TRUE(out.Write(bytes)) << path;
}
