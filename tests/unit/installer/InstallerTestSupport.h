#pragma once
// Shared pieces of the installer tests: the test packages' identities, and a
// scripted Windows Installer that reads packages for real.
#include <gmock/gmock.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "installer/WindowsInstallerApi.h"
#include "tests/unit/support/MockWindowsInstaller.h"

// Resource "MSI" 201: x64, version 1.2.3. Resource 202: x86, version 2.0.1.
const UINT kTestPackage = 201;
const UINT kOtherPackage = 202;
const char kTestProductCode[] = "{0A6E2F3D-58B1-4C7E-9D24-7F3B1C5A9E01}";
const char kTestUpgradeCode[] = "{0A6E2F3D-58B1-4C7E-9D24-7F3B1C5A9E02}";
const char kOtherProductCode[] = "{0A6E2F3D-58B1-4C7E-9D24-7F3B1C5A9E03}";
const char kOtherUpgradeCode[] = "{0A6E2F3D-58B1-4C7E-9D24-7F3B1C5A9E04}";

// Answers like msi.dll: the value when it fits (size counts the terminator),
// otherwise ERROR_MORE_DATA with the length needed. Records every size offered.
struct SizedValue {
    std::string value;
    std::vector<DWORD>* offered = nullptr;

    UINT operator()(char* buffer, DWORD* size) const {
        if (offered)
            offered->push_back(*size);
        if (*size <= value.size()) {
            if (*size > 0) {
                std::memcpy(buffer, value.data(), *size - 1);
                buffer[*size - 1] = '\0';
            }
            *size = static_cast<DWORD>(value.size());
            return ERROR_MORE_DATA;
        }
        std::memcpy(buffer, value.c_str(), value.size() + 1);
        *size = static_cast<DWORD>(value.size());
        return ERROR_SUCCESS;
    }
};

// MsiEnumProductsA over a fixed list of installed products.
inline auto InstalledProducts(std::vector<std::string> codes) {
    return [codes](DWORD index, char* buffer) -> UINT {
        if (index >= codes.size())
            return ERROR_NO_MORE_ITEMS;
        std::strcpy(buffer, codes[index].c_str());
        return ERROR_SUCCESS;
    };
}

// Nothing installed, no product information, no database opens (msi.dll itself is
// there), installations succeed: the defaults of a machine without the product.
inline void ScriptEmptyMachine(MockWindowsInstaller& msi) {
    using ::testing::_;
    using ::testing::Return;
    ON_CALL(msi, EnumRelatedProducts(_, _, _, _)).WillByDefault(Return(ERROR_NO_MORE_ITEMS));
    ON_CALL(msi, EnumProducts(_, _)).WillByDefault(Return(ERROR_NO_MORE_ITEMS));
    ON_CALL(msi, GetProductInfo(_, _, _, _)).WillByDefault(Return(ERROR_UNKNOWN_PROPERTY));
    ON_CALL(msi, SetInternalUI(_, _)).WillByDefault(Return(INSTALLUILEVEL_BASIC));
    ON_CALL(msi, InstallProduct(_, _)).WillByDefault(Return(ERROR_SUCCESS));
    ON_CALL(msi, OpenDatabase(_, _, _)).WillByDefault(Return(ERROR_OPEN_FAILED));
    ON_CALL(msi, DatabaseOpenView(_, _, _)).WillByDefault(Return(ERROR_INVALID_HANDLE));
    ON_CALL(msi, ViewExecute(_, _)).WillByDefault(Return(ERROR_INVALID_HANDLE));
    ON_CALL(msi, ViewFetch(_, _)).WillByDefault(Return(ERROR_INVALID_HANDLE));
    ON_CALL(msi, RecordGetString(_, _, _, _)).WillByDefault(Return(ERROR_INVALID_HANDLE));
    ON_CALL(msi, GetComponentPath(_, _, _, _)).WillByDefault(Return(INSTALLSTATE_UNKNOWN));
    ON_CALL(msi, CheckDatabaseFunctions()).WillByDefault(Return(ERROR_SUCCESS));
}

// An empty machine whose package databases are read by the real msi.dll.
class ScriptedMsi {
public:
    ScriptedMsi() {
        using ::testing::_;
        using ::testing::Invoke;
        using Real = CWindowsInstallerApi;
        ScriptEmptyMachine(msi);
        ON_CALL(msi, CheckDatabaseFunctions())
            .WillByDefault(Invoke(&real, &Real::CheckDatabaseFunctions));
        ON_CALL(msi, OpenDatabase(_, _, _)).WillByDefault(Invoke(&real, &Real::OpenDatabase));
        ON_CALL(msi, DatabaseOpenView(_, _, _))
            .WillByDefault(Invoke(&real, &Real::DatabaseOpenView));
        ON_CALL(msi, ViewExecute(_, _)).WillByDefault(Invoke(&real, &Real::ViewExecute));
        ON_CALL(msi, ViewFetch(_, _)).WillByDefault(Invoke(&real, &Real::ViewFetch));
        ON_CALL(msi, RecordGetString(_, _, _, _))
            .WillByDefault(Invoke(&real, &Real::RecordGetString));
        ON_CALL(msi, CloseHandle(_)).WillByDefault(Invoke(&real, &Real::CloseHandle));
    }

    CWindowsInstallerApi real;
    ::testing::NiceMock<MockWindowsInstaller> msi;
};

// The package's product family reports one installed product.
inline void ScriptRelated(MockWindowsInstaller& msi, const char* upgradeCode,
                          const char* productCode) {
    using ::testing::_;
    using ::testing::StrEq;
    ON_CALL(msi, EnumRelatedProducts(StrEq(upgradeCode), 0, 0, _))
        .WillByDefault([code = std::string(productCode)](const char*, DWORD, DWORD, char* buffer) {
            std::strcpy(buffer, code.c_str());
            return static_cast<UINT>(ERROR_SUCCESS);
        });
}

// One value of MsiGetProductInfoA for a product.
inline void ScriptProductInfo(MockWindowsInstaller& msi, const char* productCode,
                              const char* property, const std::string& value) {
    using ::testing::_;
    using ::testing::StrEq;
    ON_CALL(msi, GetProductInfo(StrEq(productCode), StrEq(property), _, _))
        .WillByDefault([value](const char*, const char*, char* buffer, DWORD* size) {
            return SizedValue{value}(buffer, size);
        });
}

// Number of subfolders of a folder.
inline int CountSubfolders(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            std::strcmp(data.cFileName, ".") && std::strcmp(data.cFileName, ".."))
            ++count;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return count;
}
