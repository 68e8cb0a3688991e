#include "core/text/Gbk.h"

#include <gtest/gtest.h>

namespace zentra {
namespace {

struct RoundTrip {
    const char *utf8;
    const char *gbkHex; // expected encoded bytes
};

std::string hex(std::string_view s)
{
    static const char *d = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        out += d[c >> 4];
        out += d[c & 15];
    }
    return out;
}

TEST(Gbk, EncodesAndDecodesGbkBytes)
{
    const RoundTrip cases[] = {
        {"abc=1", "6162633D31"},
        {"顺丰", "CBB3B7E1"},          // GB2312
        {"镕", "E946"},               // GBK, outside GB2312
        {"😀", "9439FC36"},           // outside GBK: kept as a four-byte sequence
        {"", ""},
    };
    for (const auto &c : cases) {
        std::string gbk = utf8ToGbk(c.utf8);
        EXPECT_EQ(hex(gbk), c.gbkHex) << c.utf8;
        EXPECT_EQ(gbkToUtf8(gbk), c.utf8) << c.utf8;
    }
}

TEST(Gbk, DamagedInputStillDecodes)
{
    // A lone lead byte at the end and an invalid pair in the middle.
    EXPECT_EQ(gbkToUtf8("a\xFF" "b\xCB"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
}

TEST(Gbk, Utf16LittleEndian)
{
    EXPECT_EQ(utf16leToUtf8(std::string("\x61\x00\x7A\x98", 4)), "a顺");
}

TEST(Gbk, TruncationNeverSplitsACharacter)
{
    std::string gbk = utf8ToGbk("a顺丰");  // 1 + 2 + 2 bytes
    EXPECT_EQ(gbkTruncate(gbk, 5), gbk);
    EXPECT_EQ(gbkTruncate(gbk, 4), gbk.substr(0, 3));
    EXPECT_EQ(gbkTruncate(gbk, 2), "a");
    EXPECT_EQ(gbkTruncate(utf8ToGbk("😀x"), 3), "");

    EXPECT_EQ(utf8Truncate("a顺丰", 4), "a顺");
    EXPECT_EQ(utf8Truncate("a顺丰", 3), "a");
    EXPECT_EQ(utf8Truncate("ab", 5), "ab");
}

}
}
