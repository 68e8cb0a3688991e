#include "core/data/Schema.h"
#include "core/waybill/PrintStore.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <cctype>

using namespace zentra;

namespace {

WaybillRow sampleRow()
{
    WaybillRow row;
    row.cell(WaybillRow::TemplateName) = "圆通";
    row.cell(WaybillRow::ReceiverName) = "张三";
    row.cell(WaybillRow::SenderName) = "李四";
    row.cell(WaybillRow::OrderNo) = "0099";
    row.cell(WaybillRow::ExpressNo) = "1234567890123";
    row.cell(WaybillRow::CargoName) = "它's 100%_好,2;";
    row.cell(11) = "2";
    row.cell(12) = "2.3";
    row.cell(13) = "abc"; // no number: stored as 0
    row.cell(WaybillRow::ProtectMoney) = "1005";
    row.cell(WaybillRow::PrintId) = "777"; // never stored: the table numbers its rows
    row.cell(WaybillRow::SenderSignature) = "签名😀";
    return row;
}

}

class PrintStore : public zentra::test::EngineTest {
protected:
    zentra::test::TempDir dir;
};

ZENTRA_ON_BOTH_ENGINES(PrintStore);

TEST_P(PrintStore, StoresEveryColumnVerbatimAndNumbersTheRow)
{
    DbConnection db;
    ASSERT_TRUE(db.open(location(dir.file("t.db")), true));
    ASSERT_TRUE(createSchema(db));

    const std::int64_t first = insertWaybillRow(db, WaybillTable::PrintList, sampleRow());
    ASSERT_GT(first, 0);
    EXPECT_NE(first, 777);
    // The history shares the id range: a row moved over later cannot collide.
    const std::int64_t second = insertWaybillRow(db, WaybillTable::PrintHistory, sampleRow());
    EXPECT_GT(second, first);

    DbRows rows = db.query("select * from printList");
    ASSERT_EQ(rows.size(), 1u);
    const DbRow &r = rows[0];
    EXPECT_EQ(r.text("orderNo"), "0099");
    EXPECT_EQ(r.text("expressNo"), "1234567890123");
    EXPECT_EQ(r.text("cargoName"), "它's 100%_好,2;");
    EXPECT_EQ(r.text("cargoWeight"), "2.3");
    EXPECT_EQ(r.text("orderprice"), "0");
    EXPECT_EQ(r.text("protectMoney"), "1005");
    EXPECT_EQ(r.text("sself4"), "签名😀");
    EXPECT_EQ(r.text("rnamePY"), "zs");
    EXPECT_EQ(r.text("snamePY"), "ls");

    WaybillRow back = waybillRowFrom(r, 0);
    EXPECT_EQ(back.cell(WaybillRow::ReceiverName), "张三");
    EXPECT_EQ(back.printId(), first);
}

TEST_P(PrintStore, FailureStoresNothingAndSaysWhy)
{
    DbConnection db;
    ASSERT_TRUE(db.open(location(dir.file("t.db")), true)); // no tables
    EXPECT_EQ(insertWaybillRow(db, WaybillTable::PrintHistory, sampleRow()), 0);
    // The engine's own message names the table (in the case it was written).
    std::string why = db.lastError();
    for (char &c : why)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(why.find("printhistory"), std::string::npos) << db.lastError();
}
