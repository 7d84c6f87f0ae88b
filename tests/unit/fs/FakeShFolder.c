/* A stand-in SHFolder.dll: answers SHGetFolderPathA with a marker path, so a test
   can tell whether this copy was loaded instead of the system's. */
#include <windows.h>

#define MARKER "C:\\planted-shfolder"

__declspec(dllexport) HRESULT WINAPI
    SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, LPSTR path) {
    char mode[16] = {0};
    lstrcpyA(path, MARKER);
    GetEnvironmentVariableA("Q7_FAKE_SHFOLDER_RESULT", mode, sizeof(mode));
    if (lstrcmpA(mode, "fail") == 0)
        return E_FAIL;
    /* Only the all-users application data lookup with creation, default type. */
    if (owner || token || folder != 0x8023 || flags != 1) {
        path[0] = '\0';
        return E_INVALIDARG;
    }
    return S_OK;
}
