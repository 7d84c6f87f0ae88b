#include "ui/FinishPage.h"

#include <cstring>

#include "error/Raise.h"
#include "framework/FwResources.h"
#include "fs/FileSystem.h"
#include "fs/Q7FileFind.h"
#include "fs/Q7FileWrite.h"
#include "res/resource.h"

namespace FinishPage {

namespace {

const unsigned char kUtf8Mark[] = {0xEF, 0xBB, 0xBF};
const LPCSTR kHtmlType = MAKEINTRESOURCEA(23); // RT_HTML

// The page's files besides the index page, in the order they are written.
const struct {
    const char* file; // relative to the content folder
    WORD id;
    char type[4];
} kPageFiles[] = {
    {"welcome_style.css", IDR_PAGE_CSS, "CSS"},
    {"images\\img1.jpg", IDR_PAGE_IMG1_JPG, "JPG"},
    {"images\\title-tlvn.jpg", IDR_PAGE_TITLE_JPG, "JPG"},
    {"images\\bg-main.jpg", IDR_PAGE_BG_MAIN_JPG, "JPG"},
    {"images\\tick.jpg", IDR_PAGE_TICK_JPG, "JPG"},
    {"images\\main-bullet.gif", IDR_PAGE_BULLET_GIF, "GIF"},
};

// PathFileExistsA's test, without importing shlwapi.dll for it.
bool PathExists(const Q7FsPath& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

Q7FsPath CreateContentFolder() {
    Q7FsPath folder = GetTempFolder().Combine(NewGuidString());
    if (!CreateFolderTree(folder))
        RaiseText(nullptr, nullptr, 0, "Failed to create directory '%s'", folder.c_str());
    return folder;
}

void WriteIndexPage(UINT resourceId, const std::string& path) {
    const void* bytes = nullptr;
    DWORD size = 0;
    FwResourceBytes(FwResourceModule(), kHtmlType, MAKEINTRESOURCEA(resourceId), &bytes, &size);
    // The mark is written separately, so one already in the resource is skipped.
    if (size > 2 && std::memcmp(bytes, kUtf8Mark, sizeof(kUtf8Mark)) == 0) {
        bytes = static_cast<const char*>(bytes) + sizeof(kUtf8Mark);
        size -= sizeof(kUtf8Mark);
    }

    Q7FileWrite out(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    out.Write(kUtf8Mark, sizeof(kUtf8Mark));
    out.Write(bytes, size);
}

void WritePageFiles(const Q7FsPath& contentFolder) {
    CreateFolderTree(contentFolder.Combine("images"));
    for (const auto& file : kPageFiles)
        WriteResourceToFile(contentFolder.Combine(file.file).c_str(), file.id, file.type);
}

void RemoveFolderTree(const Q7FsPath& folder) {
    if (!PathExists(folder))
        return;
    {
        Q7FileFind find(folder.Combine("*.*").c_str());
        while (find.FindNext()) {
            if (find.IsDots())
                continue;
            Q7FsPath path = find.GetFilePath();
            if (find.IsDirectory()) {
                RemoveFolderTree(path);
            } else if (!DeleteFileA(path.c_str()) && GetLastError() == ERROR_FILE_NOT_FOUND) {
                // A long name the file system cannot resolve may still have its 8.3 name.
                DeleteFileA(find.GetShortFilePath().c_str());
            }
        }
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace FinishPage
