#include "installer/VersionNumber.h"

#include <cstdlib>
#include <cstring>

CVersionNumber::CVersionNumber(std::string text, const char* separators) {
    if (!separators)
        separators = "";
    // strchr would find the terminator too: a NUL is no separator.
    auto isSeparator = [separators](char ch) { return ch && std::strchr(separators, ch); };
    // The text is this constructor's own copy: each token is cut off in place.
    char* next = &text[0];
    char* const end = next + text.size();
    while (next < end) {
        if (isSeparator(*next)) {
            ++next;
            continue;
        }
        char* token = next;
        while (next < end && !isSeparator(*next))
            ++next;
        *next++ = '\0';
        // atoi's reading, but clamped: long is 32 bits here, so strtol saturates.
        push_back(static_cast<int>(std::strtol(token, nullptr, 10)));
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
