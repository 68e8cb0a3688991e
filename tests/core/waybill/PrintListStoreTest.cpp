#include "core/data/Schema.h"
#include "core/waybill/PrintListStore.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

using namespace zentra;

namespace {

class PrintListStoreTest : public test::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(db.open(location(dir.file("t.db")), true)) << db.lastError();
        ASSERT_TRUE(createSchema(db)) << db.lastError();
    }

    std::int64_t add(const std::string &receiver, const std::string &expressNo)
    {
        WaybillRow row;
        row.cell(WaybillRow::TemplateName) = "圆通";
        row.cell(WaybillRow::ReceiverName) = receiver;
        row.cell(WaybillRow::ExpressNo) = expressNo;
        row.cell(WaybillRow::PrintTime) = "2024-05-01 10:00:00";
        return insertWaybillRow(db, WaybillTable::PrintList, row);
    }

    std::vector<std::int64_t> ids(const char *table)
    {
        std::vector<std::int64_t> out;
        for (const DbRow &r : db.query(std::string("select printId from ") + table + " order by printId"))
            out.push_back(r.integer("printId"));
        return out;
    }

    static std::vector<std::string> receivers(const std::vector<WaybillRow> &rows)
    {
        std::vector<std::string> out;
        for (const WaybillRow &r : rows)
            out.push_back(r.cell(WaybillRow::ReceiverName));
        return out;
    }

    test::TempDir dir;
    DbConnection db;
};

ZENTRA_ON_BOTH_ENGINES(PrintListStoreTest);

}

TEST_P(PrintListStoreTest, ListsByExpressNumberThenPrintIdAndSearchesAllColumns)
{
    add("丙", "B2");
    add("甲", "A1");
    add("乙", "B2");
    add("丁", "");
    bool ok = false;
    std::vector<WaybillRow> rows = searchPrintList(db, "", &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(receivers(rows), (std::vector<std::string>{"丁", "甲", "丙", "乙"}));
    EXPECT_EQ(rows[2].cell(WaybillRow::RowNumber), "3");

    // A quote is a character like any other; "b" finds "B2" (ASCII case
    // ignored); "%" and "_" stand for any text and any one character.
    EXPECT_EQ(receivers(searchPrintList(db, "b")), (std::vector<std::string>{"丙", "乙"}));
    EXPECT_EQ(receivers(searchPrintList(db, "a_")), (std::vector<std::string>{"甲"}));
    EXPECT_EQ(receivers(searchPrintList(db, "丙")), (std::vector<std::string>{"丙"}));
    EXPECT_TRUE(searchPrintList(db, "x' or '1'='1", &ok).empty());
    EXPECT_TRUE(ok);
    EXPECT_EQ(searchPrintList(db, "圆%").size(), 4u);
}

TEST_P(PrintListStoreTest, StoresAnEditedExpressNumber)
{
    const std::int64_t id = add("甲", "old");
    EXPECT_TRUE(setExpressNo(db, id, "SF'123"));
    EXPECT_EQ(db.query("select expressNo from printList")[0].text("expressNo"), "SF'123");
    EXPECT_FALSE(setExpressNo(db, id + 100, "x"));
}

TEST_P(PrintListStoreTest, DeletesAllOrNothing)
{
    const std::int64_t a = add("甲", "1"), b = add("乙", "2"), c = add("丙", "3");
    EXPECT_EQ(deleteWaybillRows(db, WaybillTable::PrintList, {a, c, c + 50}), 2);
    EXPECT_EQ(ids("printList"), (std::vector<std::int64_t>{b}));

    // A refused delete undoes the ones before it.
    const std::int64_t d = add("丁", "4");
    ASSERT_TRUE(test::refuseWhen(db, "printList", "delete", "old.printId = " + std::to_string(d))) << db.lastError();
    EXPECT_EQ(deleteWaybillRows(db, WaybillTable::PrintList, {b, d}), -1);
    EXPECT_EQ(ids("printList"), (std::vector<std::int64_t>{b, d}));
}

TEST_P(PrintListStoreTest, MovedRowsKeepTheirIdAndLeaveTheOthers)
{
    const std::int64_t a = add("甲", "1"), b = add("乙", "2"), c = add("丙", "3");
    const MoveResult r = movePrintedRows(db, {c, a});
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.moved, (std::vector<std::int64_t>{c, a}));
    EXPECT_EQ(ids("printList"), (std::vector<std::int64_t>{b}));
    EXPECT_EQ(ids("printHistory"), (std::vector<std::int64_t>{a, c}));
    EXPECT_EQ(
        db.query("select rname from printHistory where printId = ?", {static_cast<long long>(c)})[0].text("rname"),
        "丙");

    // A single print later gets a new id, never one of the moved rows'.
    WaybillRow single;
    single.cell(WaybillRow::ReceiverName) = "戊";
    EXPECT_GT(insertWaybillRow(db, WaybillTable::PrintHistory, single), c);
    // An id no longer in the list is passed over.
    EXPECT_TRUE(movePrintedRows(db, {a}).moved.empty());
}

TEST_P(PrintListStoreTest, AFailedMoveLeavesTheRowInTheListOnly)
{
    const std::int64_t a = add("甲", "1"), b = add("乙", "2"), c = add("丙", "3");
    // The delete fails after the insert into the history has run.
    ASSERT_TRUE(test::refuseWhen(db, "printList", "delete", "old.printId = " + std::to_string(b))) << db.lastError();
    const MoveResult r = movePrintedRows(db, {a, b, c});
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.moved, (std::vector<std::int64_t>{a}));
    EXPECT_NE(db.lastError().find("refused"), std::string::npos);
    EXPECT_EQ(ids("printList"), (std::vector<std::int64_t>{b, c}));
    EXPECT_EQ(ids("printHistory"), (std::vector<std::int64_t>{a}));
}

TEST_P(PrintListStoreTest, AnIdTakenInTheHistoryStopsTheMove)
{
    const std::int64_t a = add("甲", "1");
    // A history row with the same id (a database from elsewhere): the insert
    // fails and nothing changes.
    ASSERT_EQ(db.execute("insert into printHistory(printId, rname) values(?, 'x')", {static_cast<long long>(a)}), 1);
    const MoveResult r = movePrintedRows(db, {a});
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(ids("printList"), (std::vector<std::int64_t>{a}));
    EXPECT_EQ(db.query("select rname from printHistory")[0].text("rname"), "x");
}
