// The executable's own start-up code, in place of the C run-time's: the setup
// needs none of what that brings (console arguments and wildcards, floating-point
// error hooks, signal translation, native thread-local storage, relocation of
// auto-imported data), and it all is part of every download. The search path
// for DLLs is restricted before any constructor runs.
#include <windows.h>

#include "framework/FwLibrary.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

extern "C" {
// libgcc: runs the static constructors and registers their destructors with atexit.
void __main();
// msvcrt: tells its error reporting that this is a windowed program.
void __cdecl __set_app_type(int);
}

namespace {

using ExitFunction = void(__cdecl*)();

// Static destructors: the global ones (one entry) and one per function-local
// static object. Run in reverse order when WinMain returns.
ExitFunction g_exitFunctions[32] __attribute__((section(".bss"))); // not in the file
int g_exitCount = 0;

// The command line without the program's name, as WinMain expects it.
char* ArgumentsOf(char* line) {
    bool quoted = false;
    for (; *line && (quoted || (*line != ' ' && *line != '\t')); ++line)
        if (*line == '"')
            quoted = !quoted;
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}

void RunExitFunctions() {
    while (g_exitCount > 0)
        g_exitFunctions[--g_exitCount]();
}

} // namespace

extern "C" int __cdecl atexit(ExitFunction function) {
    if (g_exitCount == static_cast<int>(sizeof g_exitFunctions / sizeof g_exitFunctions[0]))
        return -1;
    g_exitFunctions[g_exitCount++] = function;
    return 0;
}

extern "C" void SetupProcessStart() {
    // Before anything can load a DLL: never from the setup's own (Downloads) folder.
    FwRestrictDllSearchPath();
    __set_app_type(2); // _GUI_APP
    __main();

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    int code = WinMain(GetModuleHandleA(nullptr), nullptr, ArgumentsOf(GetCommandLineA()), show);
    RunExitFunctions();
    ExitProcess(static_cast<UINT>(code));
}
