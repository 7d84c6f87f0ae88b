#include <gtest/gtest.h>

#include <string>

#include "framework/FwLibrary.h"
#include "installer/WindowsInstallerApi.h"

namespace {

std::string OwnFolder() {
    char path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string Marker() {
    return OwnFolder() + "planted-msi-loaded";
}

bool MarkerExists() {
    return GetFileAttributesA(Marker().c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ModulePath(HMODULE module) {
    char path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
    return std::string(path, n);
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
}

class Planting : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        DeleteFileA(Marker().c_str());
        FwRestrictDllSearchPath();
    }
};

} // namespace

TEST_F(Planting, PlantedDllIsReallyBesideUs) {
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((OwnFolder() + "msi.dll").c_str()));
}

TEST_F(Planting, WindowsInstallerComesFromSystemDirectory) {
    CWindowsInstallerApi msi;
    char path[1024] = {};
    DWORD size = 1023;
    // The planted DLL would answer "installed".
    EXPECT_EQ(INSTALLSTATE_UNKNOWN,
              msi.LocateComponent("{01234567-89AB-CDEF-0123-456789ABCDEF}", path, &size));
    ASSERT_NE(nullptr, msi.Module());
    char system[MAX_PATH + 1] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(0u, Lower(ModulePath(msi.Module())).find(Lower(system)));
    EXPECT_FALSE(MarkerExists());
}

TEST_F(Planting, BareLoadAfterRestrictionSkipsOwnFolder) {
    CFwLibrary bare(LoadLibraryA("msi.dll"));
    ASSERT_TRUE(bare);
    EXPECT_EQ(std::string::npos,
              Lower(ModulePath(bare.Get())).find(Lower(OwnFolder()) + "msi.dll"));
    EXPECT_FALSE(MarkerExists());
}

// Last: proves the marker mechanism works, so the checks above are meaningful.
TEST_F(Planting, ZzExplicitLoadOfPlantedDllLeavesMarker) {
    CFwLibrary planted(
        LoadLibraryExA((OwnFolder() + "msi.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    ASSERT_TRUE(planted);
    EXPECT_TRUE(MarkerExists());
    DeleteFileA(Marker().c_str());
}
