#include "installer/InstallLog.h"

#include <cstdarg>

#include "framework/FwString.h"
#include "fs/Q7FileReadLock.h"
#include "fs/Q7FileWrite.h"

CInstallLog::~CInstallLog() = default;

bool CInstallLog::Create(const std::string& path) {
    m_path.clear();
    m_written.clear();
    Q7FileWrite file;
    if (path.empty() || !file.Create(path.c_str()))
        return false;
    m_path = path;
    return true;
}

void CInstallLog::Line(const char* format, ...) {
    if (m_path.empty())
        return;
    size_t start = m_written.size();
    m_written += "TolvaneSetup: ";
    va_list args;
    va_start(args, format);
    m_written += FwFormatV(format, args);
    va_end(args);
    m_written += "\r\n";
    // Appending only: whatever Windows Installer wrote in between stays.
    Q7FileWrite file(CreateFileA(m_path.c_str(), FILE_APPEND_DATA,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    file.Write(m_written.data() + start, static_cast<DWORD>(m_written.size() - start));
}

void CInstallLog::KeepOwnLinesFirst() {
    if (m_written.empty())
        return;
    // The setup's lines, then the file as it is now.
    const size_t own = m_written.size();
    std::string content = m_written;
    {
        Q7FileReadLock file;
        LARGE_INTEGER size;
        if (!file.Open(m_path.c_str()) || !GetFileSizeEx(file.Get(), &size) ||
            size.QuadPart > MAXDWORD / 2)
            return;
        DWORD length = static_cast<DWORD>(size.QuadPart);
        content.resize(own + length);
        DWORD read = 0;
        if (!ReadFile(file.Get(), &content[own], length, &read, nullptr) || read != length)
            return;
    }
    if (content.compare(own, own, m_written) == 0)
        return;
    Q7FileWrite file;
    if (file.Create(m_path.c_str()))
        file.Write(content);
}
