#include "core/text/Pinyin.h"

#include <gtest/gtest.h>

namespace zentra {
namespace {

TEST(Pinyin, InitialsAsTheListsStoreThem)
{
    const std::pair<const char *, const char *> cases[] = {
        {"张三", "zs"},
        {"张三Li", "zsLi"}, // ASCII copied unchanged
        {"A座3-101王芳", "Az3-101wf"},
        {"李婷婷", "ltt"}, // 婷: level 2
        {"王鑫", "wx"},    // 鑫: level 2
        {"亍匕邝", "cbk"}, // first characters of level 2
        {"啊座", "az"},    // first and last characters of level 1
        {"吕女士", "lns"}, // ü syllables
        {"率", "l"},       // several readings: the one its place in GB2312 implies
        {"朱镕基", "zj"},  // 镕 is GBK outside GB2312: nothing
        {"张，三", "z?s"}, // a full-width comma is in GB2312 but in no syllable table
        {"😀x", "x"},       // outside GBK: nothing
        {"", ""},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(toPinyin(text), expected) << text;
}

TEST(Pinyin, OptionsShapeEachSyllable)
{
    struct Case {
        PinyinOptions options;
        const char *expected;
    };
    const Case cases[] = {
        {{false, false, false, false}, "zhangsanLi"}, {{true, false, false, false}, "zhang'san'Li"},
        {{false, true, false, false}, "ZhangSanLi"},  {{false, true, true, false}, "ZHANGSANLi"},
        {{false, false, true, false}, "zHANGsANLi"},  {{true, true, false, true}, "Z'S'Li"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(toPinyin("张三Li", c.options), c.expected) << c.expected;
    EXPECT_EQ(toPinyin("吕", {false, false, false, false}), "lv");
}

TEST(Pinyin, SyllableRunsAndTableEdges)
{
    const std::pair<int, const char *> cases[] = {
        {1601, "A"},  {1602, "A"},  {1603, "AI"},  {1615, "AI"},  {1616, "AN"},  {1625, "ANG"},
        {1628, "AO"}, {1637, "BA"}, {5576, "ZUI"}, {5580, "ZUN"}, {5582, "ZUO"}, {5589, "ZUO"},
        {1600, "?"},  {5590, "?"},  {5601, "CHU"}, {8794, "ZHA"}, {8795, "?"},   {312, "?"},
    };
    for (const auto &[code, syllable] : cases)
        EXPECT_EQ(pinyinSyllable(code), syllable) << code;
}

}
}
