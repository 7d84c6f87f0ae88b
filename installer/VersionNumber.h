#pragma once
// A dotted version ("1.2.3", "2,0,1") as its numeric components, ordered
// numerically with missing trailing components taken as 0.
#include <string>
#include <vector>

class CVersionNumber : public std::vector<int> {
public:
    CVersionNumber() = default;
    CVersionNumber(std::string text, const char* separators);
    CVersionNumber(const CVersionNumber&) = default;
    CVersionNumber& operator=(const CVersionNumber&) = default;
    CVersionNumber(CVersionNumber&&) = default;
    CVersionNumber& operator=(CVersionNumber&&) = default;
    virtual ~CVersionNumber();

    bool operator<(const CVersionNumber& other) const;
};
