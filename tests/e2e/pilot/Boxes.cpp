// A program that only shows message boxes, to check the pilot against known
// dialogs: each argument "<ok|okcancel|yesno|yesnocancel>:<text>" is one box, in
// order. The exit code is the answers' ids as decimal digits (IDYES, IDNO: 6 7 ->
// 67).
#include <windows.h>

#include <cstdlib>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int code = 0;
    for (int i = 1; i < __argc; ++i) {
        const char* arg = __argv[i];
        const char* colon = strchr(arg, ':');
        if (!colon)
            return 255;
        size_t n = static_cast<size_t>(colon - arg);
        UINT type = MB_OK;
        if (n == 8 && strncmp(arg, "okcancel", n) == 0)
            type = MB_OKCANCEL;
        else if (n == 5 && strncmp(arg, "yesno", n) == 0)
            type = MB_YESNO;
        else if (n == 11 && strncmp(arg, "yesnocancel", n) == 0)
            type = MB_YESNOCANCEL;
        code = code * 10 + MessageBoxA(nullptr, colon + 1, "Pilot check", type);
    }
    return code;
}
