#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/masterdata/Freight.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace zentra {
namespace {

TEST(PostageTest, FollowsTheRule)
{
    struct Case {
        double weight, total;
        FreightRate rate;
        double expected;
    };
    const Case cases[] = {
        {2.3, 50, {10, 6, 100}, 22}, // rounded up to 3: 2 * 6 + 10
        {1, 50, {10, 6, 100}, 10},   // one unit: the first-weight fee only
        {0.2, 50, {10, 6, 100}, 10}, // any part of a unit counts as one
        {0, 50, {10, 6, 100}, 0},    // nothing weighed: free
        {5, 100, {10, 6, 100}, 0},   // total at the free amount
        {5, 150, {10, 6, 100}, 0},
        {5, 1000, {10, 6, 0}, 0},     // moneyFree 0: always free
        {1, 99.99, {10, 6, 100}, 10}, // just below: charged
        {3, 50, {}, 0},               // no rate row
        {-2, 50, {10, 6, 100}, 0},
    };
    for (const Case &c : cases)
        EXPECT_DOUBLE_EQ(postage(c.weight, c.total, c.rate), c.expected) << c.weight << " " << c.total;
}

class FreightRatesTest : public test::FolderEngineTest {
protected:
    FreightRates rates{folder.databasePath()};
};

ZENTRA_ON_BOTH_ENGINES(FreightRatesTest);

TEST_P(FreightRatesTest, FirstUseCopiesTheDefaultsAndLeavesThemUntouched)
{
    const auto defaults = rates.rowsFor(kDefaultFreightTemplate);
    ASSERT_FALSE(defaults.empty());
    const auto own = rates.rowsFor("圆通");
    ASSERT_EQ(own.size(), defaults.size());
    EXPECT_EQ(own.front().province, defaults.front().province);
    EXPECT_EQ(own.front().afreight, defaults.front().afreight);
    EXPECT_GT(own.front().id, defaults.back().id);
    EXPECT_EQ(rates.rowsFor("圆通").size(), own.size()); // no second copy

    auto edited = own;
    for (auto &r : edited)
        r.afreight = r.bfreight = r.moneyFree = "0";
    edited[0].afreight = "12.5";
    ASSERT_TRUE(rates.saveRows("圆通", edited));
    EXPECT_EQ(rates.rowsFor("圆通")[0].afreight, "12.5");
    EXPECT_EQ(rates.rowsFor("圆通")[1].moneyFree, "0");
    const auto after = rates.rowsFor(kDefaultFreightTemplate);
    ASSERT_EQ(after.size(), defaults.size());
    for (std::size_t i = 0; i < after.size(); ++i)
        EXPECT_EQ(after[i].afreight, defaults[i].afreight);
}

TEST_P(FreightRatesTest, SavingIsAllOrNothingAndRatesAreFoundByPartOfTheName)
{
    auto rows = rates.rowsFor("中通");
    ASSERT_GE(rows.size(), 3u);
    ASSERT_EQ(rates.setRate("中通", "浙江省", "8", "4", "200"), 1);
    FreightRate r = rates.rateFor("中通", "浙江");
    EXPECT_DOUBLE_EQ(r.afreight, 8);
    EXPECT_DOUBLE_EQ(r.bfreight, 4);
    EXPECT_DOUBLE_EQ(r.moneyFree, 200);
    EXPECT_DOUBLE_EQ(rates.rateFor("中通", "火星").afreight, 0);
    EXPECT_DOUBLE_EQ(rates.rateFor("中通", "%").afreight, 0); // literal, not a wildcard

    {
        DbConnection db;
        ASSERT_TRUE(db.open(folder.databasePath()));
        ASSERT_TRUE(test::refuseWhen(db, "freight", "update", "new.province = '" + rows[2].province + "'"))
            << db.lastError();
    }
    const std::string before = rates.rowsFor("中通")[0].afreight;
    for (auto &row : rows)
        row.afreight = "99";
    std::string error;
    EXPECT_FALSE(rates.saveRows("中通", rows, &error));
    EXPECT_EQ(error, "refused");
    EXPECT_EQ(rates.rowsFor("中通")[0].afreight, before); // the rows before the failure came back
}

}
}
