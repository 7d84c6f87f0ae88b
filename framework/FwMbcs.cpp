#include "framework/FwMbcs.h"

size_t FwMbcsCharLength(const std::string& text, size_t i, UINT codePage) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    return lead != 0 && IsDBCSLeadByteEx(codePage, lead) && i + 1 < text.size() ? 2 : 1;
}

size_t FwMbcsReverseFind(const std::string& text, char ch, UINT codePage) {
    size_t found = std::string::npos;
    for (size_t i = 0; i < text.size(); i += FwMbcsCharLength(text, i, codePage)) {
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
