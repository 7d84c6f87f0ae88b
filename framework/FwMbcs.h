#pragma once
// Searches over characters of a multibyte code page: a trail byte of a
// double-byte character never matches, even when it equals '\' or '.'.
#include <windows.h>
#include <string>

// Bytes of the character at index i: 2 for a lead byte followed by its trail byte.
size_t FwMbcsCharLength(const std::string& text, size_t i, UINT codePage = CP_ACP);

// Index of the last character ch in text, or std::string::npos.
size_t FwMbcsReverseFind(const std::string& text, char ch, UINT codePage = CP_ACP);

// The path rule: the last backslash, or, only when there is no backslash at all,
// the last slash. std::string::npos when there is neither.
size_t FwFindLastPathSeparator(const std::string& text, UINT codePage = CP_ACP);
