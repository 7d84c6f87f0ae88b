#include "framework/FwString.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

std::string FwFormatV(const char* format, va_list args) {
    if (!format)
        return std::string();
    // The system C library's formatter: the C++ run-time's own would add ~10 KiB.
    va_list copy;
    va_copy(copy, args);
    int needed = _vscprintf(format, copy);
    va_end(copy);
    if (needed <= 0)
        return std::string();
    std::string out(static_cast<size_t>(needed) + 1, '\0');
    _vsnprintf(&out[0], out.size(), format, args);
    out.resize(static_cast<size_t>(needed));
    return out;
}

std::string FwFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string out = FwFormatV(format, args);
    va_end(args);
    return out;
}

std::string FwTrim(const std::string& text) {
    static const char kBlanks[] = " \t\r\n\v\f";
    size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

std::string FwNarrow(const wchar_t* text, int length, UINT codePage) {
    if (!text || length == 0)
        return std::string();
    int bytes = WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return std::string();
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, 0, text, length, &out[0], bytes, nullptr, nullptr);
    if (length < 0 && !out.empty() && out.back() == '\0')
        out.pop_back();
    return out;
}

std::vector<wchar_t> FwWiden(const std::string& text, UINT codePage) {
    int length = static_cast<int>(text.size());
    int chars = length ? MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0) : 0;
    if (chars <= 0)
        return std::vector<wchar_t>(1, L'\0');
    std::vector<wchar_t> out(static_cast<size_t>(chars) + 1, L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, out.data(), chars);
    return out;
}

BSTR FwAllocBstr(const char* text, UINT codePage) {
    int chars = text && *text ? MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0) : 1;
    if (chars <= 0)
        chars = 1;
    BSTR out = SysAllocStringLen(nullptr, static_cast<UINT>(chars - 1));
    if (out && chars > 1)
        MultiByteToWideChar(codePage, 0, text, -1, out, chars);
    return out;
}
