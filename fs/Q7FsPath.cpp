#include "fs/Q7FsPath.h"

#include <shlobj.h>

#include "framework/FwMbcs.h"
#include "framework/FwString.h"

namespace {

bool IsSeparator(char ch) {
    return ch == '\\' || ch == '/';
}

} // namespace

bool Q7FsPathEndsInSeparator(const std::string& path, UINT codePage) {
    if (path.empty() || !IsSeparator(path.back()))
        return false;
    // The last byte may be the trail byte of a double-byte character.
    size_t last = path.size() - 1;
    return FwMbcsReverseFind(path, path.back(), codePage) == last;
}

void Q7FsPathAppend(std::string& path, const char* component, UINT codePage) {
    if (!component)
        return;
    if (!path.empty() && !Q7FsPathEndsInSeparator(path, codePage))
        path += '\\';
    path += component;
}

std::string Q7FsPathFileName(const std::string& path, UINT codePage) {
    size_t separator = FwFindLastPathSeparator(path, codePage);
    if (separator == std::string::npos)
        return path;
    return std::string(path.data() + separator + 1, path.size() - separator - 1);
}

std::string Q7FsPathFileTitle(const std::string& path, UINT codePage) {
    std::string name = Q7FsPathFileName(path, codePage);
    size_t dot = FwMbcsReverseFind(name, '.', codePage);
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

std::string Q7FsPathFolder(const std::string& path, UINT codePage) {
    size_t separator = FwFindLastPathSeparator(path, codePage);
    if (separator == std::string::npos || separator == 0)
        return path;
    return std::string(path.data(), separator + 1);
}

Q7FsPath GetTempFolder() {
    char buffer[1024] = {};
    DWORD length = GetTempPathA(sizeof(buffer) - 1, buffer);
    // A result longer than the buffer is the size needed; nothing was written.
    if (length == 0 || length >= sizeof(buffer) - 1)
        return Q7FsPath();
    // Appending nothing adds the separator, as joining a component would.
    Q7FsPath folder(buffer);
    folder.Append("");
    return folder;
}

Q7ShellWrapper::Q7ShellWrapper(const char* systemDllName)
    : m_library(FwLoadSystemLibrary(systemDllName)) {}

Q7ShellWrapper::~Q7ShellWrapper() = default;

Q7FsPath GetCommonAppDataFolderFrom(HMODULE shfolder) {
    if (!shfolder)
        return Q7FsPath();
    using GetFolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    auto getFolderPath = reinterpret_cast<GetFolderPathFn>(
        reinterpret_cast<void*>(GetProcAddress(shfolder, "SHGetFolderPathA")));
    if (!getFolderPath)
        return Q7FsPath();
    char buffer[4096] = {};
    HRESULT hr = getFolderPath(nullptr, CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                               SHGFP_TYPE_DEFAULT, buffer);
    if (FAILED(hr))
        return Q7FsPath();
    buffer[sizeof(buffer) - 1] = '\0';
    return Q7FsPath(buffer);
}

Q7FsPath GetCommonAppDataFolder() {
    Q7ShellWrapper shfolder("SHFolder.dll");
    return GetCommonAppDataFolderFrom(shfolder.Get());
}

std::string NewGuidString() {
    GUID guid = {};
    CoCreateGuid(&guid);
    wchar_t text[128] = {};
    StringFromGUID2(guid, text, 127);
    return FwNarrow(text, -1, CP_THREAD_ACP);
}
