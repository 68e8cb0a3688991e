#include "core/data/GbkCollation.h"

#include "core/text/Gbk.h"

#include <array>
#include <cstdint>
#include <memory>
#include <sqlite3.h>

namespace zentra {
namespace {

// Each character becomes one 32-bit key whose order is the order of its
// GB18030 bytes: the bytes packed from the top, unused low bytes zero. The
// lead byte tells one-, two- and four-byte forms apart, so comparing keys one
// character after another equals comparing the encoded byte strings.
std::uint32_t packBytes(std::string_view bytes)
{
    std::uint32_t key = 0;
    for (std::size_t i = 0; i < 4; ++i)
        key = (key << 8) | (i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0u);
    return key;
}

// Keys of the whole Basic Multilingual Plane, made once with one conversion
// of all its characters (surrogates left out; they never occur in valid text).
const std::array<std::uint32_t, 0x10000> &bmpKeys()
{
    static const std::unique_ptr<std::array<std::uint32_t, 0x10000>> table = [] {
        auto t = std::make_unique<std::array<std::uint32_t, 0x10000>>();
        std::string all;
        all.reserve(0x10000 * 3);
        for (char32_t cp = 1; cp < 0x10000; ++cp)
            if (cp < 0xD800 || cp > 0xDFFF)
                appendUtf8(all, cp);
        const std::string gbk = utf8ToGbk(all);
        std::size_t pos = 0;
        for (char32_t cp = 1; cp < 0x10000 && pos < gbk.size(); ++cp) {
            if (cp >= 0xD800 && cp <= 0xDFFF)
                continue;
            std::size_t len = gbkCharLength(gbk, pos);
            (*t)[cp] = packBytes(std::string_view(gbk).substr(pos, len));
            pos += len;
        }
        return t;
    }();
    return *table;
}

// GB18030 maps the supplementary planes linearly from 90 30 81 30 on.
std::uint32_t supplementaryKey(char32_t cp)
{
    std::uint32_t idx = cp - 0x10000;
    std::uint32_t b4 = 0x30 + idx % 10;
    idx /= 10;
    std::uint32_t b3 = 0x81 + idx % 126;
    idx /= 126;
    std::uint32_t b2 = 0x30 + idx % 10;
    idx /= 10;
    std::uint32_t b1 = 0x90 + idx;
    return (b1 << 24) | (b2 << 16) | (b3 << 8) | b4;
}

// The key of the character at s[i]; advances i. A byte that does not start a
// valid sequence keys as itself placed past every character (0xFF lead).
std::uint32_t nextKey(std::string_view s, std::size_t &i, const std::array<std::uint32_t, 0x10000> &bmp)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return std::uint32_t(b0) << 24;
    }
    int len = b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC0 ? 2 : 0;
    if (len == 0 || i + static_cast<std::size_t>(len) > s.size()) {
        ++i;
        return 0xFF000000u | b0;
    }
    char32_t cp = len == 2 ? (b0 & 0x1F) : len == 3 ? (b0 & 0x0F) : (b0 & 0x07);
    for (int k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return 0xFF000000u | b0;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    i += static_cast<std::size_t>(len);
    if (cp < 0x10000)
        return bmp[cp];
    if (cp > 0x10FFFF)
        return 0xFF000000u | b0;
    return supplementaryKey(cp);
}

int collate(void *, int na, const void *a, int nb, const void *b)
{
    return compareGbk(std::string_view(static_cast<const char *>(a), static_cast<std::size_t>(na)),
                      std::string_view(static_cast<const char *>(b), static_cast<std::size_t>(nb)));
}

}

int compareGbk(std::string_view a, std::string_view b)
{
    const auto &bmp = bmpKeys();
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        // Plain ASCII runs compare as bytes without a lookup.
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        if (ca < 0x80 && cb < 0x80) {
            if (ca != cb)
                return ca < cb ? -1 : 1;
            ++i;
            ++j;
            continue;
        }
        std::uint32_t ka = nextKey(a, i, bmp);
        std::uint32_t kb = nextKey(b, j, bmp);
        if (ka != kb)
            return ka < kb ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

std::string gbkSortKey(std::string_view utf8)
{
    static const char kHex[] = "0123456789ABCDEF";
    const auto &bmp = bmpKeys();
    std::string key;
    key.reserve(utf8.size() * 2);
    auto put = [&](unsigned b) {
        key += kHex[(b >> 4) & 0xF];
        key += kHex[b & 0xF];
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const std::uint32_t k = nextKey(utf8, i, bmp);
        if ((k >> 24) == 0xFF) { // a byte that starts no valid character
            put(0xFF);
            put(k & 0xFF);
            continue;
        }
        // The character's bytes from the top; multi-byte forms hold no zero
        // byte, so the first zero ends them.
        put(k >> 24);
        for (int shift = 16; shift >= 0 && ((k >> shift) & 0xFF) != 0; shift -= 8)
            put((k >> shift) & 0xFF);
    }
    return key;
}

bool registerGbkCollation(sqlite3 *db)
{
    return sqlite3_create_collation_v2(db, "GBK", SQLITE_UTF8, nullptr, collate, nullptr) == SQLITE_OK;
}

}
