#include "tracking/Base64Codec.h"

#include <cstdint>
#include <new>

#include "tracking/Q7SimpleArray.h"

namespace Crypt {

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const int kGroupsPerLine = 19; // 76 characters

// Largest count whose 4n still fits the 32-bit signed lengths of the record format.
const uint64_t kMaxCount = 0x7FFFFFFFu / 4;

// Writes the text into dest (capacity *destLength, not terminated) and sets
// *destLength to the characters written.
bool EncodeInto(const unsigned char* src, size_t count, char* dest, int* destLength,
                unsigned flags) {
    if (!src || !dest || !destLength)
        return false;
    int required = CBase64Codec::GetRequiredLength(count, flags);
    if (required < 0 || *destLength < required)
        return false;

    const bool crlf = (flags & Base64NoCrlf) == 0;
    char* out = dest;
    size_t groups = count / 3;
    // A full last line is followed by an empty one, so its break stays.
    size_t lines = groups / kGroupsPerLine + 1;
    for (size_t line = 0; line < lines; ++line) {
        for (int inLine = 0; groups > 0 && inLine < kGroupsPerLine; --groups, ++inLine) {
            uint32_t bits = (uint32_t(src[0]) << 16) | (uint32_t(src[1]) << 8) | src[2];
            src += 3;
            *out++ = kAlphabet[(bits >> 18) & 0x3F];
            *out++ = kAlphabet[(bits >> 12) & 0x3F];
            *out++ = kAlphabet[(bits >> 6) & 0x3F];
            *out++ = kAlphabet[bits & 0x3F];
        }
        if (crlf) {
            *out++ = '\r';
            *out++ = '\n';
        }
    }
    // Every line was closed, the last one included; that last break goes again.
    if (crlf)
        out -= 2;

    size_t rest = count % 3;
    if (rest != 0) {
        uint32_t bits = uint32_t(src[0]) << 16;
        if (rest == 2)
            bits |= uint32_t(src[1]) << 8;
        *out++ = kAlphabet[(bits >> 18) & 0x3F];
        *out++ = kAlphabet[(bits >> 12) & 0x3F];
        if (rest == 2)
            *out++ = kAlphabet[(bits >> 6) & 0x3F];
        if ((flags & Base64NoPad) == 0) {
            *out++ = '=';
            if (rest == 1)
                *out++ = '=';
        }
    }
    *destLength = static_cast<int>(out - dest);
    return true;
}

} // namespace

CBase64Codec::~CBase64Codec() = default;

int CBase64Codec::GetRequiredLength(size_t count, unsigned flags) {
    if (static_cast<uint64_t>(count) > kMaxCount)
        return -1;
    int64_t n = static_cast<int64_t>(count);
    int64_t r = 4 * n / 3;
    if ((flags & Base64NoPad) == 0)
        r += n % 3;
    int64_t breaks = r / 76 + 1;
    int64_t m = r % 76;
    if (m != 0 && m % 4 != 0)
        r += 4 - m % 4;
    if ((flags & Base64NoCrlf) == 0)
        r += 2 * breaks;
    return static_cast<int>(r);
}

std::string CBase64Codec::Encode(const void* bytes, size_t count, unsigned flags) {
    // The bound for flags 0 is the largest of all.
    int bound = GetRequiredLength(count, 0);
    if (bound < 1)
        return std::string();
    try {
        Q7SimpleArrayT<char> buffer(2 * static_cast<size_t>(bound) + 1);
        int written = 2 * bound;
        if (!EncodeInto(static_cast<const unsigned char*>(bytes), count, buffer.GetData(), &written,
                        flags))
            return std::string();
        return std::string(buffer.GetData(), static_cast<size_t>(written));
    } catch (const std::bad_alloc&) {
        // Recording is optional: no memory means no record, not a failed setup.
        return std::string();
    }
}

} // namespace Crypt
