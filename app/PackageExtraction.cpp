#include "app/PackageExtraction.h"

#include <cstring>

#include "error/Raise.h"
#include "framework/FwResources.h"
#include "fs/FileSystem.h"
#include "fs/Q7FileReadLock.h"
#include "fs/Q7FileWrite.h"
#include "res/resource.h"

namespace {

// True when the file holds exactly these bytes.
bool SameContent(const char* path, const void* bytes, DWORD size) {
    Q7FileReadLock file;
    LARGE_INTEGER fileSize;
    if (!file.Open(path) || !GetFileSizeEx(file.Get(), &fileSize) || fileSize.QuadPart != size)
        return false;
    char chunk[4096];
    const char* expected = static_cast<const char*>(bytes);
    for (DWORD offset = 0; offset < size;) {
        DWORD read = 0;
        DWORD want = size - offset < sizeof chunk ? size - offset : sizeof chunk;
        if (!ReadFile(file.Get(), chunk, want, &read, nullptr) || read == 0 ||
            std::memcmp(chunk, expected + offset, read) != 0)
            return false;
        offset += read;
    }
    return true;
}

} // namespace

void ExtractPackages(const std::string& folder, CInstallLog& log) {
    // A relative folder is taken from the current one, and made whole first.
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(folder.c_str(), sizeof full, full, nullptr);
    Q7FsPath target(length && length < sizeof full ? full : folder.c_str());
    if (!CreateFolderTree(target))
        RaiseCommon(GetLastError(), "PackageExtraction", nullptr, __LINE__,
                    "Failed to create directory '%s'", target.c_str());

    static const struct {
        WORD resource;
        const char* fileName;
    } kPackages[] = {
        {IDR_MSI_X64, "QuorvelOutlookTolvane-x64.msi"},
        {IDR_MSI_X86, "QuorvelOutlookTolvane-x86.msi"},
    };
    const void* bytes[2] = {};
    DWORD sizes[2] = {};
    bool write[2] = {};
    // Every file is checked before any is written: a refusal leaves nothing behind.
    for (int i = 0; i < 2; ++i) {
        Q7FsPath path = target.Combine(kPackages[i].fileName);
        if (!FwResourceBytes(FwResourceModule(), "MSI", MAKEINTRESOURCEA(kPackages[i].resource),
                             &bytes[i], &sizes[i]))
            RaiseText("PackageExtraction", nullptr, __LINE__,
                      "The setup carries no package for '%s'.", path.c_str());
        DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND) {
            write[i] = true;
            continue;
        }
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            !SameContent(path.c_str(), bytes[i], sizes[i]))
            RaiseText("PackageExtraction", nullptr, __LINE__,
                      "'%s' exists and is not this package; nothing was extracted.", path.c_str());
        log.Line("%s is already there", path.c_str());
    }

    for (int i = 0; i < 2; ++i) {
        if (!write[i])
            continue;
        Q7FsPath path = target.Combine(kPackages[i].fileName);
        // A new file only: whatever appeared since the check is not overwritten.
        Q7FileWrite out(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out.Write(bytes[i], sizes[i])) {
            DWORD error = GetLastError();
            if (out.IsOpen()) {
                out.Close();
                DeleteFileA(path.c_str());
            }
            RaiseCommon(error, "PackageExtraction", nullptr, __LINE__, "Failed to write file '%s'",
                        path.c_str());
        }
        log.Line("Extracted %s", path.c_str());
    }
}
