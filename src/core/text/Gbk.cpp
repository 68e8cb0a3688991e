#include "core/text/Gbk.h"

#include <cerrno>
#include <iconv.h>

namespace zentra {
namespace {

// Runs iconv over the whole input. Bytes that cannot be decoded are replaced by
// `replacement` and skipped one at a time, so a damaged file still reads.
std::string convert(const char *to, const char *from, std::string_view in, std::string_view replacement,
                    std::size_t badStep)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    std::string out;
    out.reserve(in.size() * 3 / 2 + 4);
    char buf[4096];
    char *inPtr = const_cast<char *>(in.data());
    std::size_t inLeft = in.size();
    while (inLeft > 0) {
        char *outPtr = buf;
        std::size_t outLeft = sizeof buf;
        std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buf, outPtr - buf);
        if (rc != static_cast<std::size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL (truncated sequence at the end): replace and skip.
        out.append(replacement);
        std::size_t step = badStep < inLeft ? badStep : inLeft;
        inPtr += step;
        inLeft -= step;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char *outPtr = buf;
    std::size_t outLeft = sizeof buf;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buf, outPtr - buf);
    iconv_close(cd);
    return out;
}

}

std::string gbkToUtf8(std::string_view gbk)
{
    return convert("UTF-8", "GB18030", gbk, "\xEF\xBF\xBD", 1);
}

std::string utf8ToGbk(std::string_view utf8)
{
    return convert("GB18030", "UTF-8", utf8, "?", 1);
}

std::string utf16leToUtf8(std::string_view utf16le)
{
    return convert("UTF-8", "UTF-16LE", utf16le, "\xEF\xBF\xBD", 2);
}

std::size_t gbkCharLength(std::string_view s, std::size_t i)
{
    auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    if (i >= s.size())
        return 0;
    if (b(i) < 0x81 || b(i) == 0xFF)
        return 1;
    if (i + 1 < s.size() && b(i + 1) >= 0x30 && b(i + 1) <= 0x39)
        return i + 3 < s.size() ? 4 : s.size() - i;
    return i + 1 < s.size() ? 2 : 1;
}

std::string_view gbkTruncate(std::string_view gbk, std::size_t maxBytes)
{
    std::size_t i = 0;
    while (i < gbk.size()) {
        std::size_t n = gbkCharLength(gbk, i);
        if (i + n > maxBytes)
            break;
        i += n;
    }
    return gbk.substr(0, i);
}

void appendUtf8(std::string &out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool isValidUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        std::size_t len;
        unsigned min;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            len = 2, min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3, min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4, min = 0x10000;
        } else {
            return false;
        }
        if (s.size() - i < len)
            return false;
        unsigned cp = c & (0x7F >> len);
        for (std::size_t k = 1; k < len; ++k) {
            auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

std::string_view utf8Truncate(std::string_view utf8, std::size_t maxBytes)
{
    if (utf8.size() <= maxBytes)
        return utf8;
    std::size_t i = maxBytes;
    while (i > 0 && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80)
        --i;
    return utf8.substr(0, i);
}

}
