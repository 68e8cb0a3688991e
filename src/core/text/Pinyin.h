#pragma once

#include <string>
#include <string_view>

namespace zentra {

// How each converted character is written. The defaults are what every list of
// the program stores and searches by: lower-case initials, nothing between them.
struct PinyinOptions {
    bool apostrophe = false;  // put "'" after each converted character
    bool firstUpper = false;  // keep the first letter of a syllable upper case
    bool restUpper = false;   // keep the other letters of a syllable upper case
    bool initialsOnly = true; // keep only the first letter of each syllable
};

// The pinyin of a name, for searching lists by initials: 张三Li -> "zsLi".
// The UTF-8 text is converted to GBK and scanned byte by byte: ASCII is copied
// unchanged, a GB2312 character becomes its syllable (or "?" when no table
// covers it), and any other character contributes nothing. Syllables have no
// tones; ü is written v. A character with several readings has one of them.
std::string toPinyin(std::string_view utf8, const PinyinOptions &options = {});

// The syllable of a GB2312 zone-position code (zone * 100 + position, 1601 for
// the bytes B0 A1) in capitals, or "?" when no table covers the code.
std::string_view pinyinSyllable(int zonePositionCode);

}
