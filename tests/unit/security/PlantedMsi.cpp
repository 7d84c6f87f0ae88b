// Stands in for a malicious msi.dll: leaves a marker file beside itself when
// loaded and claims that every component and product is installed.
#include <windows.h>

#include <cstring>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH + 32] = {};
        DWORD n = GetModuleFileNameA(instance, path, MAX_PATH);
        while (n > 0 && path[n - 1] != '\\')
            --n;
        strcpy(path + n, "planted-msi-loaded");
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
    return TRUE;
}

extern "C" int WINAPI MsiLocateComponentA(const char*, char*, DWORD*) {
    return 3;
}

extern "C" UINT WINAPI MsiEnumRelatedProductsA(const char*, DWORD, DWORD, char* product) {
    if (product)
        strcpy(product, "{11111111-1111-1111-1111-111111111111}");
    return 0;
}
