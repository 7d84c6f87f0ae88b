#include "framework/FwMbcs.h"

size_t FwMbcsReverseFind(const std::string& text, char ch, UINT codePage) {
    size_t found = std::string::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead != 0 && IsDBCSLeadByteEx(codePage, lead) && i + 1 < text.size()) {
            ++i; // skip the trail byte
            continue;
        }
        if (text[i] == ch)
            found = i;
    }
    return found;
}

size_t FwFindLastPathSeparator(const std::string& text, UINT codePage) {
    size_t backslash = FwMbcsReverseFind(text, '\\', codePage);
    if (backslash != std::string::npos)
        return backslash;
    return FwMbcsReverseFind(text, '/', codePage);
}
