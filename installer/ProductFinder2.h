#pragma once
// Finds the installed product of a product family (an upgrade code) and what
// Windows Installer knows about it, above all its installation folder. Raises
// nothing: every failure leaves a field empty.
#include <string>
#include <vector>

#include "installer/VersionNumber.h"

class CProductFinder2 {
public:
    // Searches at once; when nothing is found every field stays empty.
    explicit CProductFinder2(std::string upgradeCode);
    virtual ~CProductFinder2();

    std::string GetUpgradeCode() const { return m_fields[kUpgradeCode]; }
    std::string GetProductCode() const { return m_fields[kProductCode]; }
    std::string GetProductName() const { return m_fields[kProductName]; }
    std::string GetInstallLocation() const { return m_fields[kInstallLocation]; }
    std::string GetPublisher() const { return m_fields[kPublisher]; }
    std::string GetVersionString() const { return m_fields[kVersionString]; }
    std::string GetVersionMajor() const { return m_fields[kVersionMajor]; }
    std::string GetVersionMinor() const { return m_fields[kVersionMinor]; }
    std::string GetInstallDate() const { return m_fields[kInstallDate]; }

    // True only when the found product's version is known and lower than
    // packageVersion. Reads the installed version afresh, whole.
    bool IsOlderThan(CVersionNumber packageVersion) const;

private:
    static std::string GetProductInfo(const std::string& productCode, const char* property);
    static std::string FindInstallLocation(const std::string& productCode);
    static std::vector<std::string> GetInstallDirComponents(const std::string& productCode);
    static std::string GetComponentFolder(const std::string& productCode,
                                          const std::string& componentId);

    enum Field {
        kUpgradeCode,
        kProductCode,
        kProductName,
        kInstallLocation,
        kPublisher,
        kVersionString,
        kVersionMajor,
        kVersionMinor,
        kInstallDate,
        kFieldCount
    };
    std::string m_fields[kFieldCount];
};
