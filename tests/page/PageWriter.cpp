// Writes the welcome page's files into the folder named on the command line, with
// the finish screen's own writers, so a browser can open what a user would see.
#include <windows.h>
#include <cstdio>

#include "fs/FileSystem.h"
#include "res/resource.h"
#include "ui/FinishPage.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: page_writer <folder>\n", stderr);
        return 2;
    }
    Q7FsPath folder(argv[1]);
    if (!CreateFolderTree(folder)) {
        std::fprintf(stderr, "cannot create %s\n", folder.c_str());
        return 1;
    }
    FinishPage::WriteIndexPage(IDR_PAGE_INDEX, folder.Combine("index.htm"));
    FinishPage::WritePageFiles(folder);
    return 0;
}
