#pragma once
// Base64 with the line layout the registry record has always had: 76-character
// lines joined by CR LF, padding directly behind the last line.
#include <cstddef>
#include <string>

namespace Crypt {

enum : unsigned {
    Base64NoPad = 1, // no trailing "="
    Base64NoCrlf = 2 // one line
};

class CBase64Codec {
public:
    virtual ~CBase64Codec();

    // The text, or an empty one on failure. A count whose 4n exceeds
    // 2,147,483,647 is refused with an empty result, before the input is read.
    static std::string Encode(const void* bytes, size_t count, unsigned flags);

    // Upper bound of the encoded length for the buffers; -1 for a refused count.
    static int GetRequiredLength(size_t count, unsigned flags);
};

} // namespace Crypt
