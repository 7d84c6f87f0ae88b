#pragma once
// The application object: one global instance, whose InitInstance runs once and
// whose ExitInstance runs after it; a message loop runs only when InitInstance
// returns TRUE.
#include <windows.h>
#include <string>

class CFwApp {
public:
    CFwApp();
    CFwApp(const CFwApp&) = delete;
    CFwApp& operator=(const CFwApp&) = delete;
    virtual ~CFwApp();

    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();

    const std::string& GetAppName() const { return m_appName; }
    void SetAppName(const char* name);

    static CFwApp* Current();

private:
    std::string m_appName;
};

// The caption of the application's message boxes: the application's name, or the
// executable's file title while no application object exists.
std::string FwAppName();

// Drives the one application object; returns the process exit code.
int FwRunApplication();
