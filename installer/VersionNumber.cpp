#include "installer/VersionNumber.h"

#include <cstdlib>
#include <cstring>

CVersionNumber::CVersionNumber(std::string text, const char* separators) {
    const std::string seps = separators ? separators : "";
    size_t position = 0;
    for (;;) {
        position = text.find_first_not_of(seps, position);
        if (position == std::string::npos)
            break;
        size_t end = text.find_first_of(seps, position);
        std::string token =
            text.substr(position, end == std::string::npos ? std::string::npos : end - position);
        // atoi's reading, but clamped: long is 32 bits here, so strtol saturates.
        push_back(static_cast<int>(std::strtol(token.c_str(), nullptr, 10)));
        if (end == std::string::npos)
            break;
        position = end + 1;
    }
}

CVersionNumber::~CVersionNumber() = default;

bool CVersionNumber::operator<(const CVersionNumber& other) const {
    const size_t count = size() > other.size() ? size() : other.size();
    for (size_t i = 0; i < count; ++i) {
        int mine = i < size() ? (*this)[i] : 0;
        int theirs = i < other.size() ? other[i] : 0;
        if (mine != theirs)
            return mine < theirs;
    }
    return false;
}
