#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/data/Schema.h"
#include "core/waybill/ComposeSettings.h"
#include "core/waybill/OrderCounter.h"
#include "core/waybill/PrintClaims.h"
#include "core/waybill/PrintListStore.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace zentra {
namespace {

class PrintClaimsTest : public test::FolderEngineTest {
protected:
    void SetUp() override
    {
        FolderEngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(db.open(folder.databasePath()));
        for (int i = 0; i < 4; ++i) {
            WaybillRow row;
            row.cell(WaybillRow::TemplateName) = "圆通";
            row.cell(WaybillRow::OrderNo) = std::to_string(i);
            ids.push_back(insertWaybillRow(db, WaybillTable::PrintList, row));
        }
    }

    DbConnection db;
    std::vector<std::int64_t> ids;
};

ZENTRA_ON_BOTH_ENGINES(PrintClaimsTest);

TEST_P(PrintClaimsTest, AJobGetsOnlyTheRowsNoOtherJobHolds)
{
    PrintClaimJob a = PrintClaimJob::start(), b = PrintClaimJob::start();
    a.station = "packing-1";
    b.station = "packing-2";
    bool ok = false;
    EXPECT_EQ(claimRows(db, a, {ids[0], ids[1]}, &ok), (std::vector<std::int64_t>{ids[0], ids[1]}));
    EXPECT_TRUE(ok);
    // The other job passes over what the first holds, and a row that is no
    // longer in the list.
    EXPECT_EQ(claimRows(db, b, {ids[3], ids[1], ids[2], 999999}, &ok), (std::vector<std::int64_t>{ids[3], ids[2]}));
    EXPECT_TRUE(ok);
    // Asked again, a job keeps what it holds.
    EXPECT_EQ(claimRows(db, a, {ids[0], ids[2]}), (std::vector<std::int64_t>{ids[0]}));

    // What the others see, with the station's name.
    const auto seenByA = claimedRows(db, a.job);
    EXPECT_EQ(seenByA, (std::map<std::int64_t, std::string>{{ids[2], "packing-2"}, {ids[3], "packing-2"}}));
    EXPECT_EQ(claimedRows(db).size(), 4u);

    // A released row goes to whoever asks next; a moved row takes its claim along.
    ASSERT_TRUE(releaseClaims(db, a, {ids[1]}));
    EXPECT_EQ(claimRows(db, b, {ids[1]}), (std::vector<std::int64_t>{ids[1]}));
    ASSERT_TRUE(movePrintedRows(db, {ids[0]}).complete);
    ASSERT_TRUE(releaseClaims(db, b));
    EXPECT_TRUE(claimedRows(db).empty());
    EXPECT_EQ(claimRows(db, b, {ids[0]}), std::vector<std::int64_t>{}); // printed: gone from the list
}

TEST_P(PrintClaimsTest, AClaimThatRunsOutFreesTheRowAndRenewingKeepsIt)
{
    PrintClaimJob dead = PrintClaimJob::start(), live = PrintClaimJob::start(), other = PrintClaimJob::start();
    ASSERT_EQ(claimRows(db, dead, {ids[0]}).size(), 1u);
    ASSERT_EQ(claimRows(db, live, {ids[1]}).size(), 1u);
    // Both claims as if made long ago; the live job renews its own.
    ASSERT_EQ(db.execute("update printClaim set claimExpires = " + db.dialect().epochNow() + " - 1"), 2);
    ASSERT_TRUE(renewClaims(db, live));
    EXPECT_EQ(claimedRows(db), (std::map<std::int64_t, std::string>{{ids[1], live.station}}));
    EXPECT_EQ(claimRows(db, other, {ids[0], ids[1]}), (std::vector<std::int64_t>{ids[0]}));
}

TEST_P(PrintClaimsTest, ADeletedRowTakesItsClaimAlong)
{
    PrintClaimJob a = PrintClaimJob::start();
    ASSERT_EQ(claimRows(db, a, {ids[2]}).size(), 1u);
    ASSERT_EQ(deleteWaybillRows(db, WaybillTable::PrintList, {ids[2]}), 1);
    EXPECT_TRUE(claimedRows(db).empty());
}

// The order-number counter: this station's config.ini with the embedded
// file, the shop's row with a shared database.
TEST_P(PrintClaimsTest, OrderNumbersComeFromTheStationOrTheShop)
{
    const ConfigFile config(folder.configPath());
    writeOrderNumberLock(config, true, "0099");
    const OrderCounter counter(folder);
    EXPECT_EQ(counter.shared(), onServer());
    EXPECT_EQ(counter.peek(), std::optional<std::string>("0099")); // the shop's starts from this station's
    EXPECT_EQ(counter.take(3), std::optional<std::string>("0099"));
    EXPECT_EQ(counter.peek(), std::optional<std::string>("102"));
    EXPECT_EQ(config.readText("Order", "OrderNum"), onServer() ? "0099" : "102");
    ASSERT_TRUE(counter.set("500"));
    EXPECT_EQ(counter.take(1), std::optional<std::string>("500"));
    EXPECT_EQ(counter.peek(), std::optional<std::string>("501"));
    if (onServer()) {
        // Taken inside a transaction that fails, the numbers come back.
        {
            Transaction tx(db);
            EXPECT_EQ(OrderCounter::takeIn(db, 10, ""), std::optional<std::string>("501"));
        }
        EXPECT_EQ(counter.peek(), std::optional<std::string>("501"));
        // Another station, its own config.ini, sees the shop's number.
        test::TempDir other;
        DataFolder station(other.file("b"));
        station.setDatabase(folder.databasePath());
        ASSERT_TRUE(initDataFolder(station));
        EXPECT_EQ(OrderCounter(station).peek(), std::optional<std::string>("501"));
    }
}

}
}
