#pragma once
// The log file of one run, shared with Windows Installer: the setup writes its own
// lines before and after the installation and Windows Installer appends its log in
// between. Without a file every line goes nowhere.
#include <windows.h>

#include <string>

class CInstallLog {
public:
    CInstallLog() = default;
    CInstallLog(const CInstallLog&) = delete;
    CInstallLog& operator=(const CInstallLog&) = delete;
    virtual ~CInstallLog();

    // Creates the file, emptying an existing one; false (GetLastError tells why) when
    // it cannot be created. The folder is not created.
    bool Create(const std::string& path);

    bool IsActive() const { return !m_path.empty(); }
    const std::string& GetPath() const { return m_path; }

    // Appends one line, "TolvaneSetup: " first. The file is opened for each line and
    // closed again, so it is never held while Windows Installer writes to it. A line
    // that cannot be written is lost.
    void Line(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // After Windows Installer has written its log: puts the setup's lines back in
    // front when they are no longer the start of the file. Windows Installer under
    // Wine writes from the start of the file even when asked to append.
    void KeepOwnLinesFirst();

private:
    std::string m_path;
    // Everything written so far, to put back.
    std::string m_written;
};
