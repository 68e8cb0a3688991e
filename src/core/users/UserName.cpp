#include "core/users/UserName.h"

#include "core/text/Gbk.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace zentra {

namespace {

// The code points of well-formed UTF-8, or nothing.
std::optional<std::vector<char32_t>> decode(std::string_view s)
{
    std::vector<char32_t> out;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        int extra = 0;
        char32_t cp = 0, min = 0;
        if (b < 0x80) {
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1, cp = b & 0x1F, min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, cp = b & 0x0F, min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, cp = b & 0x07, min = 0x10000;
        } else {
            return std::nullopt;
        }
        if (i + static_cast<std::size_t>(extra) >= s.size())
            return std::nullopt;
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((c & 0xC0) != 0x80)
                return std::nullopt;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return std::nullopt;
        out.push_back(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

bool isSpace(char32_t c)
{
    return c == 0x20 || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

// Characters that show nothing (or nothing of their own) yet make a name
// differ from the one it looks like.
bool isInvisible(char32_t c)
{
    struct Range {
        char32_t first, last;
    };
    static constexpr Range kRanges[] = {
        {0x00AD, 0x00AD},   // soft hyphen
        {0x034F, 0x034F},   // combining grapheme joiner
        {0x061C, 0x061C},   // Arabic letter mark
        {0x115F, 0x1160},   // Hangul fillers
        {0x17B4, 0x17B5},   // Khmer inherent vowels
        {0x180B, 0x180F},   // Mongolian variation selectors, vowel separator
        {0x200B, 0x200F},   // zero-width space, joiners, direction marks
        {0x202A, 0x202E},   // direction embeddings and overrides
        {0x2060, 0x206F},   // word joiner, invisible operators, isolates
        {0x3164, 0x3164},   // Hangul filler
        {0xFE00, 0xFE0F},   // variation selectors
        {0xFEFF, 0xFEFF},   // zero-width no-break space (byte order mark)
        {0xFFA0, 0xFFA0},   // half-width Hangul filler
        {0xFFF0, 0xFFFF},   // interlinear annotation, specials, non-characters
        {0x1BCA0, 0x1BCA3}, // shorthand format controls
        {0x1D173, 0x1D17A}, // musical format controls
        {0xE0000, 0xE0FFF}, // tags, variation selectors supplement
    };
    for (const Range &r : kRanges)
        if (c >= r.first && c <= r.last)
            return true;
    return false;
}

char32_t foldWidth(char32_t c)
{
    if (c >= 0xFF01 && c <= 0xFF5E)
        return c - 0xFEE0;
    if (isSpace(c))
        return 0x20;
    return c;
}

char32_t foldCase(char32_t c)
{
    if (c >= 'A' && c <= 'Z')
        return c + 0x20;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 0x20;
    if ((c >= 0x0100 && c <= 0x0137) || (c >= 0x014A && c <= 0x0177))
        return c | 1;
    if ((c >= 0x0139 && c <= 0x0148) || (c >= 0x0179 && c <= 0x017E))
        return (c & 1) ? c + 1 : c;
    if (c == 0x0178)
        return 0xFF;
    if (c >= 0x0391 && c <= 0x03A9 && c != 0x03A2)
        return c + 0x20;
    if (c >= 0x0410 && c <= 0x042F)
        return c + 0x20;
    if (c >= 0x0400 && c <= 0x040F)
        return c + 0x50;
    if (c == 0x212A) // Kelvin sign
        return 'k';
    return c;
}

}

CheckedUserName checkUserName(std::string_view typed)
{
    CheckedUserName checked;
    const auto points = decode(typed);
    if (!points) {
        checked.name = std::string(typed);
        checked.problem = CheckedUserName::Problem::BadCharacter;
        return checked;
    }
    std::size_t first = 0, last = points->size();
    while (first < last && isSpace((*points)[first]))
        ++first;
    while (last > first && isSpace((*points)[last - 1]))
        --last;
    for (std::size_t i = first; i < last; ++i) {
        const char32_t c = (*points)[i];
        appendUtf8(checked.name, c);
        if (isControl(c) || isInvisible(c))
            checked.problem = CheckedUserName::Problem::BadCharacter;
    }
    if (checked.name.empty())
        checked.problem = CheckedUserName::Problem::Empty;
    return checked;
}

std::string userNameKey(std::string_view name)
{
    const auto points = decode(name);
    if (!points)
        return std::string(name);
    std::string key;
    for (char32_t c : *points)
        appendUtf8(key, foldCase(foldWidth(c)));
    return key;
}

}
