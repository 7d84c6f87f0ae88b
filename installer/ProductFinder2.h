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

    std::string GetUpgradeCode() const { return m_upgradeCode; }
    std::string GetProductCode() const { return m_productCode; }
    std::string GetProductName() const { return m_productName; }
    std::string GetInstallLocation() const { return m_installLocation; }
    std::string GetPublisher() const { return m_publisher; }
    std::string GetVersionString() const { return m_versionString; }
    std::string GetVersionMajor() const { return m_versionMajor; }
    std::string GetVersionMinor() const { return m_versionMinor; }
    std::string GetInstallDate() const { return m_installDate; }

    // True only when the found product's version is known and lower than
    // packageVersion. Reads the installed version afresh, whole.
    bool IsOlderThan(CVersionNumber packageVersion) const;

private:
    static std::string GetProductInfo(const std::string& productCode, const char* property);
    static std::string FindInstallLocation(const std::string& productCode);
    static std::vector<std::string> GetInstallDirComponents(const std::string& productCode);
    static std::string GetComponentFolder(const std::string& productCode,
                                          const std::string& componentId);

    std::string m_upgradeCode;
    std::string m_productCode;
    std::string m_productName;
    std::string m_installLocation;
    std::string m_publisher;
    std::string m_versionString;
    std::string m_versionMajor;
    std::string m_versionMinor;
    std::string m_installDate;
};
