#include "fs/FileSystem.h"

#include <string>
#include <vector>

#include "framework/FwMbcs.h"
#include "framework/FwResources.h"
#include "fs/Q7FileFind.h"
#include "fs/Q7FileWrite.h"

namespace {

bool IsSeparator(char ch) {
    return ch == '\\' || ch == '/';
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

// Components between separators, skipping empty ones; a trail byte of a double-byte
// character never splits.
std::vector<std::string> SplitComponents(const std::string& path, UINT codePage) {
    std::vector<std::string> components;
    std::string current;
    for (size_t i = 0; i < path.size();) {
        size_t length = FwMbcsCharLength(path, i, codePage);
        if (length == 1 && IsSeparator(path[i])) {
            if (!current.empty())
                components.push_back(current);
            current.clear();
        } else {
            current.append(path, i, length);
        }
        i += length;
    }
    if (!current.empty())
        components.push_back(current);
    return components;
}

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
    std::vector<std::string> components = SplitComponents(path, codePage);
    if (components.size() < 2)
        return ops.FolderExists(path);

    // Either separator may begin a network path ('\\server' or '//server'); a single
    // leading separator stays, so a folder on the current drive is not made relative.
    Q7FsPath built;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]))
        built = "\\\\";
    else if (!path.empty() && IsSeparator(path[0]))
        built = "\\";
    built += components[0];

    for (size_t i = 1; i < components.size(); ++i) {
        Q7FsPathAppend(built, components[i].c_str(), codePage);
        if (!ops.FolderExists(built) && !ops.CreateFolder(built))
            return false;
    }
    return true;
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
