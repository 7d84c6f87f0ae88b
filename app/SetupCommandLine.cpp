#include "app/SetupCommandLine.h"

#include <shellapi.h>

#include "framework/FwString.h"

namespace {

enum Option { kQuiet, kPassive, kLog, kExtract, kHelp, kNone };

const struct {
    const char* name;
    Option option;
} kOptions[] = {
    {"quiet", kQuiet},     {"q", kQuiet}, {"passive", kPassive}, {"log", kLog},
    {"extract", kExtract}, {"?", kHelp},  {"help", kHelp},
};

// The option an argument names, or kNone. Letters are compared as ASCII only: a
// locale's case rules (the Turkish dotless i) must not change an option.
Option FindOption(const wchar_t* arg) {
    if (arg[0] != L'/' && arg[0] != L'-')
        return kNone;
    for (const auto& entry : kOptions) {
        const wchar_t* a = arg + 1;
        const char* n = entry.name;
        for (; *a && *n; ++a, ++n) {
            wchar_t ch = *a >= L'A' && *a <= L'Z' ? *a - L'A' + L'a' : *a;
            if (ch != static_cast<wchar_t>(*n))
                break;
        }
        if (!*a && !*n)
            return entry.option;
    }
    return kNone;
}

// Owner of the argument array CommandLineToArgvW allocates.
class CArgumentArray {
public:
    explicit CArgumentArray(LPWSTR* args) : m_args(args) {}
    CArgumentArray(const CArgumentArray&) = delete;
    CArgumentArray& operator=(const CArgumentArray&) = delete;
    ~CArgumentArray() {
        if (m_args)
            LocalFree(m_args);
    }
    LPWSTR* Get() const { return m_args; }

private:
    LPWSTR* m_args;
};

} // namespace

CSetupCommandLine::~CSetupCommandLine() = default;

bool CSetupCommandLine::Parse(const wchar_t* commandLine) {
    // CommandLineToArgvW would take an empty line for the program's own path.
    if (!commandLine || !*commandLine)
        return true;
    int count = 0;
    CArgumentArray argv(CommandLineToArgvW(commandLine, &count));
    if (!argv.Get()) {
        Fail("The command line cannot be read.", L"");
        return false;
    }
    // Options are ASCII and matched as they are; texts are narrowed as every other
    // text of the setup, in the thread's ANSI code page.
    LPWSTR* args = argv.Get();
    for (int i = 1; i < count; ++i) {
        Option option = FindOption(args[i]);
        switch (option) {
        case kQuiet:
            m_quiet = true;
            break;
        case kPassive:
            m_passive = true;
            break;
        case kHelp:
            m_help = true;
            break;
        case kLog:
        case kExtract: {
            std::string& value = option == kLog ? m_logFile : m_extractFolder;
            bool& given = option == kLog ? m_logGiven : m_extractGiven;
            const wchar_t* name = args[i];
            if (given)
                Fail("The option %s is given twice.", name);
            given = true;
            // "/log /quiet" forgot the file: an option is never taken for a value.
            std::string next;
            if (i + 1 < count && FindOption(args[i + 1]) == kNone)
                next = FwNarrow(args[++i]);
            if (next.empty())
                Fail(option == kLog ? "The option %s needs a file name."
                                    : "The option %s needs a folder.",
                     name);
            else if (value.empty())
                value.swap(next);
            break;
        }
        case kNone:
            Fail("Unknown option '%s'.", args[i]);
            break;
        }
    }
    return IsValid();
}

void CSetupCommandLine::Fail(const char* format, const wchar_t* arg) {
    // The first fault is the one worth telling.
    if (m_error.empty())
        m_error = FwFormat(format, FwNarrow(arg).c_str());
}

INSTALLUILEVEL CSetupCommandLine::GetUILevel() const {
    if (m_quiet)
        return INSTALLUILEVEL_NONE;
    if (m_passive)
        return static_cast<INSTALLUILEVEL>(INSTALLUILEVEL_BASIC | INSTALLUILEVEL_PROGRESSONLY);
    return INSTALLUILEVEL_FULL;
}

const char* CSetupCommandLine::GetUsage() {
    return "TolvaneSetup.exe [/quiet | /passive] [/log <file>] [/extract <folder>]\n"
           "\n"
           "/quiet or /q: no windows; errors go to the log and the exit code.\n"
           "/passive: only Windows Installer's progress.\n"
           "Both replace an older version without asking and show no finish screen.\n"
           "/log <file>: the setup's and Windows Installer's log.\n"
           "/extract <folder>: writes both packages there, installs nothing.\n"
           "/? or /help: this text. Options may also start with -.\n"
           "\n"
           "Exit codes:\n"
           "0 installed, or packages extracted\n"
           "3010, 1641 installed; restart required, or under way\n"
           "1602 cancelled, or the older version kept\n"
           "1603 any other error\n"
           "1622 log file not created\n"
           "1633 no supported Outlook\n"
           "1638 another language edition installed\n"
           "1639 invalid command line\n"
           "Other codes come from Windows Installer.";
}
