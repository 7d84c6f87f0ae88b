// Entry of the setup executable.
#include <windows.h>

#include <cstdlib>

#include "app/Q7TolvaneSetupBootApp.h"

namespace {
CQ7TolvaneSetupBootApp theApp;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    theApp.SetCommandLine(GetCommandLineW());
    return FwRunApplication();
}

// The run-time's default terminate handler prints a demangled type name and drags
// the whole demangler into the executable; the setup has no console to print to.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    abort();
}
} // namespace __gnu_cxx
