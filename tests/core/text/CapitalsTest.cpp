#include "core/text/Capitals.h"

#include <gtest/gtest.h>

namespace zentra {
namespace {

struct AmountCase {
    const char *amount;
    const char *digits;
    const char *raw;
    const char *tidy;
};

TEST(Capitals, AmountsThroughAllThreeSteps)
{
    const AmountCase cases[] = {
        {"1005", "100500", "壹仟零佰零拾伍元零角零分", "壹仟零伍元"},
        {"100000", "10000000", "壹拾零万零仟零佰零拾零元零角零分", "壹拾万元"},
        {"123.45", "12345", "壹佰贰拾叁元肆角伍分", "壹佰贰拾叁元肆角伍分"},
        {"0.5", "50", "伍角零分", "伍角"},
        {"0.05", "5", "零角伍分", "伍分"},
        {"1.05", "105", "壹元零角伍分", "壹元伍分"},
        {"10", "1000", "壹拾零元零角零分", "壹拾元"},
        {"10005", "1000500", "壹万零仟零佰零拾伍元零角零分", "壹万零伍元"},
        {"100000000", "10000000000", "壹亿零仟零佰零拾零万零仟零佰零拾零元零角零分", "壹亿元"},
        {"100010000", "10001000000", "壹亿零仟零佰零拾壹万零仟零佰零拾零元零角零分", "壹亿零壹万元"},
        {"1000000000000", "100000000000000", "壹万零仟零佰零拾零亿零仟零佰零拾零万零仟零佰零拾零元零角零分",
         "壹万亿元"},
        {"9999999999999.99", "999999999999999", "玖万玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分",
         "玖万玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"},
        {"20304.06", "2030406", "贰万零仟叁佰零拾肆元零角陆分", "贰万零叁佰零肆元陆分"},
        {"12abc", "1200", "壹拾贰元零角零分", "壹拾贰元"}, // the number in front counts
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.amount);
        std::string digits = amountDigits(std::string_view(c.amount));
        EXPECT_EQ(digits, c.digits);
        std::string raw = digitsToCapitals(digits);
        EXPECT_EQ(raw, c.raw);
        EXPECT_EQ(tidyCapitals(raw), c.tidy);
    }
}

TEST(Capitals, AmountsWithoutACapitalForm)
{
    // 10^13 and above need 16 digits; text that is no number counts as 0.
    const char *tooLarge[] = {"10000000000000", "9999999999999.996", "1e20", "-5"};
    for (const char *a : tooLarge)
        EXPECT_EQ(amountDigits(std::string_view(a)), "") << a;
    EXPECT_EQ(amountDigits(std::string_view("abc")), "0");
    EXPECT_EQ(amountDigits(std::string_view("")), "0");
    EXPECT_EQ(amountToCapitals(0), "");
    EXPECT_EQ(amountToCapitals(1e13), "");
}

TEST(Capitals, RawFormRejectsWhatIsNoDigitString)
{
    EXPECT_EQ(digitsToCapitals(""), "");
    EXPECT_EQ(digitsToCapitals("12a4"), "");
    EXPECT_EQ(digitsToCapitals("1000000000000000"), ""); // 14 integer digits
}

TEST(Capitals, DoubleOverloadRoundsToCents)
{
    EXPECT_EQ(amountDigits(123.45), "12345");
    EXPECT_EQ(amountDigits(0.1 + 0.2), "30");
    EXPECT_EQ(amountToCapitals(1005), "壹仟零伍元");
}

}
}
