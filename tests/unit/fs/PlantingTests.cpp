#include <gtest/gtest.h>

#include "framework/FwLibrary.h"
#include "fs/Q7FsPath.h"

// Runs beside a stand-in SHFolder.dll with Wine searching the program's folder
// first, as Windows does.
TEST(FsPlanting, CommonAppDataIgnoresADllBesideTheProgram) {
    Q7FsPath folder = GetCommonAppDataFolder();
    EXPECT_FALSE(folder.empty());
    EXPECT_NE("C:\\planted-shfolder", folder);

    // The planting is real: a bare load by name picks up the stand-in.
    CFwLibrary bare(LoadLibraryA("SHFolder.dll"));
    ASSERT_TRUE(bare);
    EXPECT_EQ("C:\\planted-shfolder", GetCommonAppDataFolderFrom(bare.Get()));
}
