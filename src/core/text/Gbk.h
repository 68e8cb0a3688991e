#pragma once

#include <string>
#include <string_view>

namespace zentra {

// Conversions between our internal UTF-8 and the byte encodings found at the
// edges: GBK (config.ini, report files, byte-oriented lookups) and UTF-16LE.
//
// GBK bytes are decoded as GB18030, a superset, so every GBK file reads
// correctly. Encoding writes GB18030 too: its one- and two-byte forms are the
// GBK bytes, and a character GBK lacks is kept as a four-byte sequence instead
// of being lost. Invalid input bytes become U+FFFD (decoding) and unencodable
// input never occurs (GB18030 covers all of Unicode).

std::string gbkToUtf8(std::string_view gbk);
std::string utf8ToGbk(std::string_view utf8);
std::string utf16leToUtf8(std::string_view utf16le);

// Length in bytes of the GBK/GB18030 character starting at s[i] (1, 2 or 4);
// used to cut GBK text on a character boundary.
std::size_t gbkCharLength(std::string_view s, std::size_t i);

// The longest prefix of GBK text that holds at most maxBytes bytes and does not
// split a character.
std::string_view gbkTruncate(std::string_view gbk, std::size_t maxBytes);

// Appends the UTF-8 bytes of one code point (a valid one: below U+110000,
// no surrogate).
void appendUtf8(std::string &out, char32_t cp);

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// values past U+10FFFF).
bool isValidUtf8(std::string_view s);

// Same for UTF-8 text: at most maxBytes, never splitting a character.
std::string_view utf8Truncate(std::string_view utf8, std::size_t maxBytes);

}
