#include "fs/FileSystem.h"

#include <string>

#include "framework/FwMbcs.h"
#include "framework/FwResources.h"
#include "fs/Q7FileFind.h"
#include "fs/Q7FileWrite.h"

namespace {

bool IsSeparator(char ch) {
    return ch == '\\' || ch == '/';
}

// A separator character, not the trail byte of a double-byte character.
bool IsSeparatorAt(const std::string& path, size_t i, UINT codePage) {
    return IsSeparator(path[i]) && FwMbcsCharLength(path, i, codePage) == 1;
}

class CRealFolderOps : public IFolderOps {
public:
    bool FolderExists(const Q7FsPath& path) override { return ::FolderExists(path); }

    bool CreateFolder(const Q7FsPath& path) override {
        if (CreateDirectoryA(path.c_str(), nullptr))
            return true;
        // A folder that cannot be listed (an empty share root, no list right) is
        // still a folder to build on.
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
};

CRealFolderOps g_realFolderOps;
IFolderOps* g_folderOps = nullptr;

} // namespace

IFolderOps& FolderOps() {
    return g_folderOps ? *g_folderOps : g_realFolderOps;
}

IFolderOps* SetFolderOps(IFolderOps* ops) {
    IFolderOps* previous = g_folderOps;
    g_folderOps = ops;
    return previous;
}

bool FolderExists(const Q7FsPath& path) {
    Q7FileFind find(path.Combine("*.*").c_str());
    return find.FindNext();
}

bool CreateFolderTree(const Q7FsPath& path) {
    return CreateFolderTree(path, Traits::Q7FsPathStrTraitA::CodePage());
}

bool CreateFolderTree(const std::string& path, UINT codePage) {
    IFolderOps& ops = FolderOps();
    // Either separator may begin a network path ('\\server' or '//server'); a single
    // leading separator stays, so a folder on the current drive is not made relative.
    const char* root = "";
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]))
        root = "\\\\";
    else if (!path.empty() && IsSeparator(path[0]))
        root = "\\";
    Q7FsPath built(root);

    // Components between separators, empty ones skipped. The first (a drive or a
    // server) is taken as it is; each further one is joined with a backslash, then
    // tested and created.
    size_t components = 0;
    for (size_t i = 0; i < path.size();) {
        if (IsSeparatorAt(path, i, codePage)) {
            ++i;
            continue;
        }
        size_t start = i;
        while (i < path.size() && !IsSeparatorAt(path, i, codePage))
            i += FwMbcsCharLength(path, i, codePage);
        if (components++ > 0)
            built += "\\";
        built.append(path.data() + start, i - start);
        if (components > 1 && !ops.FolderExists(built) && !ops.CreateFolder(built))
            return false;
    }
    // Fewer than two components: nothing is created.
    return components > 1 || ops.FolderExists(path);
}

void WriteResourceToFile(const char* file, WORD id, const char* type) {
    if (!file)
        return;
    DeleteFileA(file);

    // A missing resource still leaves an empty file.
    const void* bytes = nullptr;
    DWORD size = 0;
    FwResourceBytes(FwResourceModule(), type, MAKEINTRESOURCEA(id), &bytes, &size);

    Q7FileWrite out;
    if (out.Create(file))
        out.Write(bytes, size);
}
