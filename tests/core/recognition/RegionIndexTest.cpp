// The forms of place names the region index finds: generated from the tables
// and from the hand-kept list of old and colloquial names.
#include "core/recognition/RegionIndex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zentra {
namespace {

// The regions (as "name/form") that a whole text is a form of.
std::vector<std::string> formsOf(const char *text)
{
    const RegionIndex &index = RegionIndex::builtIn();
    const std::u32string w = toCodePoints(text);
    std::vector<RegionIndex::Match> found;
    index.scan(w, found);
    std::vector<std::string> out;
    for (const RegionIndex::Match &m : found)
        if (m.pos == 0 && m.len == w.size())
            out.push_back(index.region(m.region).name + "/" + std::to_string(static_cast<int>(m.form)));
    return out;
}

constexpr int kFull = 0, kSuffixed = 1, kShort = 2, kZone = 3;

std::string form(const char *region, int kind)
{
    return std::string(region) + "/" + std::to_string(kind);
}

TEST(RegionIndex, FormsMadeFromTheTables)
{
    const struct {
        const char *text;
        std::vector<std::string> regions;
    } cases[] = {
        {"陕西", {form("陕西省", kShort)}},
        {"广西", {form("广西壮族自治区", kShort)}},
        {"浦东区", {form("浦东新区", kSuffixed)}},
        {"石柱县", {form("石柱土家族自治县", kSuffixed)}},
        {"恩施州", {form("恩施土家族苗族自治州", kSuffixed)}},
        {"鄂温克旗", {form("鄂温克族自治旗", kSuffixed)}},
        {"毕节地区", {form("毕节市", kSuffixed)}},
        {"崇明县", {form("崇明区", kSuffixed)}},
        {"钱塘新区", {form("钱塘区", kSuffixed)}},
        {"合肥高新区", {form("合肥高新技术产业开发区", kSuffixed)}},
        // Another name never hides a region whose own name it is: 朝阳市 is a
        // city of Liaoning, not an old form of Beijing's 朝阳区.
        {"朝阳市", {form("朝阳市", kFull)}},
        {"长沙县", {form("长沙县", kFull)}},
        // A two-character county is a full name; a two-character district
        // (城区, 矿区) is a word of street texts too and found only alone.
        {"黟县", {form("黟县", kFull)}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formsOf(c.text), c.regions) << c.text;
    // Development zones without their city are found only as zones.
    for (const std::string &f : formsOf("高新区"))
        EXPECT_EQ(f.back(), '0' + kZone) << f;
    EXPECT_FALSE(formsOf("高新区").empty());
    for (const std::string &f : formsOf("城区"))
        EXPECT_EQ(f, form("城区", kShort));
}

TEST(RegionIndex, HandKeptOldAndColloquialNames)
{
    const struct {
        const char *text;
        std::string region;
    } cases[] = {
        {"襄樊市", form("襄阳市", kSuffixed)},  {"闸北区", form("静安区", kSuffixed)},
        {"宣武区", form("西城区", kSuffixed)},  {"塘沽区", form("滨海新区", kSuffixed)},
        {"内蒙", form("内蒙古自治区", kShort)}, {"莫旗", form("莫力达瓦达斡尔族自治旗", kSuffixed)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formsOf(c.text), std::vector<std::string>{c.region}) << c.text;
}

TEST(RegionIndex, CitiesWithoutDistrictsAndPlacesUnderAProvince)
{
    const RegionIndex &index = RegionIndex::builtIn();
    int dongguanCity = -1, dongguanDistrict = -1, xiantao = -1;
    for (std::size_t i = 0; i < index.size(); ++i) {
        const RegionIndex::Region &r = index.region(static_cast<int>(i));
        if (r.name == "东莞市")
            (r.level == RegionIndex::City ? dongguanCity : dongguanDistrict) = static_cast<int>(i);
        if (r.name == "仙桃市")
            xiantao = static_cast<int>(i);
    }
    ASSERT_GE(dongguanCity, 0);
    ASSERT_GE(dongguanDistrict, 0);
    // The city and its one district share the code 441900.
    EXPECT_EQ(index.region(dongguanDistrict).parent, dongguanCity);
    EXPECT_EQ(index.onlyDistrict(dongguanCity), dongguanDistrict);
    ASSERT_GE(xiantao, 0);
    EXPECT_TRUE(index.region(index.region(xiantao).parent).placeholder);
    EXPECT_EQ(index.region(index.provinceOf(xiantao)).name, "湖北省");
}

}
}
