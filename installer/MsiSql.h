#pragma once
// Reads one value from a package's Property table through Windows Installer's
// database handle functions, opened read-only. One reader per read: construct,
// ReadProperty, destroy.
#include <string>

class CMsiSql {
public:
    // Throws Error::Q7ExceptionCommon when msi.dll's database functions cannot be
    // reached.
    CMsiSql();
    CMsiSql(const CMsiSql&) = delete;
    CMsiSql& operator=(const CMsiSql&) = delete;
    virtual ~CMsiSql();

    // The Value of the Property row named property, or "" when there is no such
    // row. Throws Error::Q7ExceptionText when the file cannot be opened or queried.
    // Writes nothing: no copy of the package, no output database.
    std::string ReadProperty(std::string file, std::string property);
};
