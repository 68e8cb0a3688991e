#include "core/data/DbConnection.h"
#include "core/data/GbkCollation.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace zentra {
namespace {

TEST(GbkCollationTest, OrdersByGbkBytes)
{
    const std::pair<const char *, const char *> ascending[] = {
        {"", "a"},    {"A", "a"},   {"abc", "abd"},   {"ab", "abc"},  {"z", "啊"},
        {"安", "陈"}, {"陈", "张"}, {"张三", "张四"}, {"张", "张三"}, {"齐", "亓"}, // level 1 before level 2
        {"丂", "亓"}, {"😀", "😁"},   {"a", "a\xFF"},
    };
    for (const auto &[a, b] : ascending) {
        EXPECT_LT(compareGbk(a, b), 0) << a << " < " << b;
        EXPECT_GT(compareGbk(b, a), 0) << b << " > " << a;
    }
    EXPECT_EQ(compareGbk("张三", "张三"), 0);
}

TEST(GbkCollationTest, EveryConnectionHasIt)
{
    test::TempDir dir;
    DbConnection db;
    ASSERT_TRUE(db.open(dir.file("t.db"), true));
    ASSERT_TRUE(db.executeScript("create table t(n text); insert into t values('张三'),('李四'),('王五'),('Bob');"));
    DbRows rows = db.query("select n from t order by n collate GBK");
    ASSERT_TRUE(rows.ok) << db.lastError();
    std::vector<std::string> got;
    for (const DbRow &r : rows)
        got.push_back(r.text("n"));
    EXPECT_EQ(got, (std::vector<std::string>{"Bob", "李四", "王五", "张三"}));
}

}
}
