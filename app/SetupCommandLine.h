#pragma once
// The setup's command line, for deployment tools that run it unattended: quiet and
// passive runs, a log file, and extracting the packages instead of installing.
#include <windows.h>
#include <msi.h>

#include <string>

class CSetupCommandLine {
public:
    CSetupCommandLine() = default;
    virtual ~CSetupCommandLine();

    // Parses a whole command line as the process got it (GetCommandLineW: the
    // program name first); once, on a new object. Options are case-insensitive and
    // start with / or -. Null or empty is a run without options. False when the
    // line is invalid: an unknown option, a missing value, or /log or /extract
    // given twice (GetError tells the first fault).
    bool Parse(const wchar_t* commandLine);

    bool IsValid() const { return m_error.empty(); }
    const std::string& GetError() const { return m_error; }

    bool IsQuiet() const { return m_quiet; }
    // /quiet wins over /passive.
    bool IsPassive() const { return m_passive && !m_quiet; }
    // Quiet or passive: nobody is asked anything and no finish screen is shown.
    bool IsUnattended() const { return m_quiet || m_passive; }
    bool WantsHelp() const { return m_help; }
    // Empty when not given.
    const std::string& GetLogFile() const { return m_logFile; }
    const std::string& GetExtractFolder() const { return m_extractFolder; }

    // Windows Installer's user interface for the run.
    INSTALLUILEVEL GetUILevel() const;

    // The options and the exit codes, for the usage box.
    static const char* GetUsage();

private:
    // Keeps the first error: format with at most one %s, which receives arg.
    void Fail(const char* format, const wchar_t* arg);

    bool m_quiet = false;
    bool m_passive = false;
    bool m_help = false;
    bool m_logGiven = false;
    bool m_extractGiven = false;
    std::string m_logFile;
    std::string m_extractFolder;
    std::string m_error;
};
