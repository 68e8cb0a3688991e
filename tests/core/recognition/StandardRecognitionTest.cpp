// The fixed pattern series: the example text, the steps' byte limits and the
// quirks older installations rely on.
#include "core/recognition/BytePattern.h"
#include "core/recognition/Recognition.h"

#include <gtest/gtest.h>

namespace zentra {
namespace {

TEST(StandardRecognition, ExampleTextGivesAllNineFields)
{
    RecognizedAddress r = recognizeStandard(
        "张三，13800138000 ，029-88887777 ，陕西省 西安市 雁塔区 高新路3号附近 ，710065  西安移动营业厅");
    const std::array<std::string, 9> expected = {"张三", "13800138000", "029-88887777", "710065", "陕西省",
                                                 "西安市", "雁塔区", "高新路3号附近", "西安移动营业厅"};
    EXPECT_EQ(r.toList(), expected);
    EXPECT_EQ(recognizeStandard(""), RecognizedAddress{});
}

TEST(StandardRecognition, NameCandidatesCountBytes)
{
    const std::pair<const char *, const char *> cases[] = {
        {"李四，13800138000", "李四"},                       // two characters between separators
        {"欧阳娜娜 13800138000", "欧阳娜娜"},                // four characters, eight bytes
        {"欧阳娜娜娜 13800138000", ""},                      // five characters are ten bytes
        {"西安电子科技公司，王五，13800138000", "王五"},     // a long first token is skipped
        {"上海人 李四", "李四"},                             // a municipality excludes a candidate
        {"雁塔区 赵六", "赵六"},                             // as does a place suffix after 4-6 bytes
        {"13800138000 钱七", "钱七"},                        // a digit run is no name
    };
    for (const auto &[text, name] : cases)
        EXPECT_EQ(recognizeStandard(text).name, name) << text;
}

TEST(StandardRecognition, NumbersTakeTheFirstWholeMatch)
{
    EXPECT_EQ(recognizeStandard("13911112222 13800138000").mobile, "13911112222");
    EXPECT_EQ(recognizeStandard("电话013800138000").mobile, "013800138000");
    EXPECT_EQ(recognizeStandard("12345678901").mobile, "");
    EXPECT_EQ(recognizeStandard("0755-12345678").phone, "0755-12345678");
    EXPECT_EQ(recognizeStandard("710065 陕西").post, "");
    EXPECT_EQ(recognizeStandard("陕西 710065").post, "710065");
    EXPECT_EQ(recognizeStandard("陕西 7100651").post, "");
    EXPECT_EQ(recognizeStandard("陕西 010065").post, "");
}

TEST(StandardRecognition, PlacesFollowTheUngroupedAlternatives)
{
    RecognizedAddress sh = recognizeStandard("李四 上海市 浦东新区 张江路100号");
    EXPECT_EQ(sh.province, "上海");
    EXPECT_EQ(sh.city, "上海市");
    EXPECT_EQ(sh.district, "浦东新区");
    EXPECT_EQ(recognizeStandard("天津市和平区").province, "天津");
    const std::pair<const char *, const char *> provinces[] = {
        {"x 江江省 y", "江江省"},             // four bytes before 省
        {"x 江江江江江省 y", "江江江江江省"},     // ten bytes
        {"x 江江江江江江省 y", "江江江江江省"},   // more: the match starts later
        {"x 江省 y", ""},                     // two bytes
        {"x 黑江省 y", ""}, // 黑 begins with 0xBA, a byte of "：" the class excludes
        {"x 广西壮族自治区 y", "广西壮族自治区"},
    };
    for (const auto &[text, province] : provinces)
        EXPECT_EQ(recognizeStandard(text).province, province) << text;
}

TEST(StandardRecognition, AddressAndCompanyNeedTheirEndings)
{
    EXPECT_EQ(recognizeStandard("x 科技路10号创业大厦 y").address, "");
    EXPECT_EQ(recognizeStandard("x 科技路10号创业大楼").address, "科技路10号创业大楼");
    EXPECT_EQ(recognizeStandard("x 路1号 y").address, ""); // under ten bytes before the ending
    EXPECT_EQ(recognizeStandard("x，招商银行").company, "招商银行");
    EXPECT_EQ(recognizeStandard("x，某某公司（西安）").company, "");
}

TEST(BytePattern, ABrokenPatternNeverMatches)
{
    BytePattern broken("(unclosed");
    EXPECT_FALSE(broken.valid());
    EXPECT_EQ(broken.firstMatch("unclosed"), "");
    // A character whose GBK trail byte is a pattern character stays literal.
    BytePattern literal("乐");
    ASSERT_TRUE(literal.valid());
    EXPECT_TRUE(literal.contains("\xC0\xD6"));
}

}
}
