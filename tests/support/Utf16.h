#pragma once

#include <string>
#include <string_view>

namespace zentra::test {

// UTF-8 to UTF-16 of either byte order, for writing report and book files in
// those encodings in tests.
inline std::string utf16(std::string_view utf8, bool bigEndian = false)
{
    std::string out;
    auto put = [&](unsigned u) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        unsigned cp;
        std::size_t len;
        if (b < 0x80) {
            cp = b;
            len = 1;
        } else if (b < 0xE0) {
            cp = b & 0x1F;
            len = 2;
        } else if (b < 0xF0) {
            cp = b & 0x0F;
            len = 3;
        } else {
            cp = b & 0x07;
            len = 4;
        }
        for (std::size_t k = 1; k < len; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            put(0xD800 + (cp >> 10));
            put(0xDC00 + (cp & 0x3FF));
        } else {
            put(cp);
        }
    }
    return out;
}

}
