#include "core/config/ConfigFile.h"
#include "core/data/Schema.h"
#include "core/masterdata/BookKind.h"
#include "core/waybill/ComposeStore.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <set>
#include <sys/wait.h>
#include <unistd.h>

using namespace zentra;

namespace {

class ComposeStoreTest : public test::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        DbConnection db;
        ASSERT_TRUE(db.open(dbPath, true));
        ASSERT_TRUE(createSchema(db));
        for (const auto &[province, a, b, m] :
             {std::tuple{"浙江省", "10", "6", "100"}, std::tuple{"新疆", "20", "15", "1000"}})
            ASSERT_EQ(db.execute("insert into freight(province, tmpName, afreight, bfreight, moneyFree) "
                                 "values(?, 't', ?, ?, ?)",
                                 {province, a, b, m}),
                      1);
        ASSERT_EQ(db.execute("insert into cargoSel(cname, cshort, cweight, cpriceOut) values('毛巾', 'mj', 2.3, 50)"),
                  1);
        ASSERT_EQ(db.execute("insert into sender(sname, sprovince, scity, sself4) values('李四', '上海', '上海市', "
                             "'签名')"),
                  1);
    }

    BatchAdd receivers(std::vector<BookEntry> entries)
    {
        BatchAdd b;
        b.databasePath = dbPath;
        b.templateName = "t";
        b.side = Party::Receiver;
        b.entries = std::move(entries);
        b.other = {true, 1, "李四"};
        b.cargoLock = true;
        b.now = "2024-05-06 07:08:09";
        return b;
    }

    DbRows printList()
    {
        DbConnection db;
        db.open(dbPath);
        return db.query("select * from printList order by printId");
    }

    test::TempDir dir;
    std::string dbPath = location(dir.file("data.db"));
    ConfigFile config{dir.file("config.ini")};
};

ZENTRA_ON_BOTH_ENGINES(ComposeStoreTest);

}

TEST_P(ComposeStoreTest, BatchGivesEveryRowItsOwnNumbersAndCountsOnAfterCommit)
{
    writeOrderNumberLock(config, true, "100");
    writeExpressNumberLock(config, true, "999999999999999");
    const BatchAddResult r =
        addBatchToPrintList(receivers({{{"rname", "甲"}}, {{"rname", "乙"}}, {{"rname", "丙"}}}), config);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.printIds.size(), 3u);
    const DbRows rows = printList();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].text("orderNo"), "100");
    EXPECT_EQ(rows[1].text("orderNo"), "101");
    EXPECT_EQ(rows[2].text("orderNo"), "102");
    EXPECT_EQ(rows[2].text("expressNo"), "1000000000000001");
    if (onServer()) {
        // A shared database's order numbers are the shop's counter, which
        // started from this station's number; express numbers stay here.
        DbConnection db;
        ASSERT_TRUE(db.open(dbPath));
        EXPECT_EQ(db.query("select counterValue from shopCounter")[0].at(0), "103");
        EXPECT_EQ(config.readText("Order", "OrderNum"), "100");
    } else {
        EXPECT_EQ(config.readText("Order", "OrderNum"), "103");
    }
    EXPECT_EQ(config.readText("Order", "ExpressNum"), "1000000000000002");
    EXPECT_EQ(r.orderNum, "103");
    // The default sender completes every row.
    EXPECT_EQ(rows[1].text("sname"), "李四");
    EXPECT_EQ(rows[1].text("sself4"), "签名");
    EXPECT_EQ(rows[1].text("cargoName"), "毛巾,1;");
    EXPECT_EQ(rows[1].text("tradeTime"), "2024-05-06 07:08:09");
}

TEST_P(ComposeStoreTest, BatchPricesEachRowForItsOwnProvinceWithTheFreeAmount)
{
    const BatchAddResult r = addBatchToPrintList(
        receivers({{{"rname", "甲"}, {"rprovince", "浙江省"}}, {{"rname", "乙"}, {"rprovince", "新疆"}}}), config);
    ASSERT_TRUE(r.ok) << r.error;
    const DbRows rows = printList();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].text("postfee"), "22");
    EXPECT_EQ(rows[0].text("getmoney"), "72");
    EXPECT_EQ(rows[0].text("cargoWeight"), "2.3");
    EXPECT_EQ(rows[1].text("postfee"), "50"); // (3 - 1) * 15 + 20

    // Above the free amount the batch ships free, as the goods panel does.
    {
        DbConnection db;
        db.open(dbPath);
        db.execute("update cargoSel set cpriceOut=150");
    }
    ASSERT_TRUE(addBatchToPrintList(receivers({{{"rname", "丙"}, {"rprovince", "浙江省"}}}), config).ok);
    EXPECT_EQ(printList()[2].text("postfee"), "0");
}

TEST_P(ComposeStoreTest, FailedBatchStoresAndCountsNothing)
{
    writeOrderNumberLock(config, true, "100");
    {
        // The second row is refused by the database.
        DbConnection db;
        db.open(dbPath);
        ASSERT_TRUE(test::refuseWhen(db, "printList", "insert", "NEW.rname = '坏'")) << db.lastError();
    }
    const BatchAddResult r =
        addBatchToPrintList(receivers({{{"rname", "甲"}}, {{"rname", "坏"}}, {{"rname", "丙"}}}), config);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("refused"), std::string::npos);
    EXPECT_TRUE(printList().empty());
    EXPECT_EQ(config.readText("Order", "OrderNum"), "100");
}

TEST_P(ComposeStoreTest, SenderBatchWithoutDefaultReceiverOrGoodsLock)
{
    BatchAdd b = receivers({{{"sname", "王五"}, {"sself4", "王"}}});
    b.side = Party::Sender;
    b.other = {};
    b.cargoLock = false;
    ASSERT_TRUE(addBatchToPrintList(b, config).ok);
    const DbRows rows = printList();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text("sname"), "王五");
    EXPECT_EQ(rows[0].text("rname"), "");
    EXPECT_EQ(rows[0].text("cargoName"), "");
    EXPECT_EQ(rows[0].text("getmoney"), "0");
    EXPECT_EQ(rows[0].text("orderNo"), "");
}

TEST_P(ComposeStoreTest, EmptyProvinceMatchesTheFirstRateRow)
{
    WaybillDraft d;
    d.setAllPresent();
    DbConnection db;
    ASSERT_TRUE(db.open(dbPath));
    fillGoodsAndFreight(d, db, "t", "", {{"毛巾", "mj", 2.3, 50}});
    EXPECT_EQ(d.text(48), "22.00");
    fillGoodsAndFreight(d, db, "其他模板", "浙江省", {{"毛巾", "mj", 2.3, 50}});
    EXPECT_EQ(d.text(48), "0");
}

TEST_P(ComposeStoreTest, LocksWriteTheirValueOnlyWhileOn)
{
    EXPECT_FALSE(readPartyDefault(config, Party::Receiver).locked); // no file yet
    writePartyDefault(config, Party::Receiver, {true, 42, "张三"});
    PartyDefault d = readPartyDefault(config, Party::Receiver);
    EXPECT_TRUE(d.locked);
    EXPECT_EQ(d.id, 42);
    EXPECT_EQ(d.name, "张三");
    EXPECT_FALSE(readPartyDefault(config, Party::Sender).locked);

    writePartyDefault(config, Party::Receiver, {false, 42, "张三"});
    EXPECT_FALSE(readPartyDefault(config, Party::Receiver).locked);
    // Switched off: the keys stay, empty.
    EXPECT_EQ(config.readInt("Receiver", "ReceiverID", -1), 0);
    EXPECT_EQ(config.readText("Receiver", "ReceiverName"), "");

    writeTradeTimeLock(config, true, "2024-05-06 07:08:09");
    writeOrderNumberLock(config, true, "0099");
    config.writeText("Order", "AutoExpressNum", "2"); // only 1 is on
    config.writeText("Order", "ExpressNum", "555");
    OrderLocks l = readOrderLocks(config);
    EXPECT_TRUE(l.tradeTimeLock);
    EXPECT_EQ(l.tradeTime, "2024-05-06 07:08:09");
    EXPECT_EQ(l.orderNum, "0099");
    EXPECT_FALSE(l.autoExpressNum);
    EXPECT_EQ(l.expressNum, "");
    writeTradeTimeLock(config, false, "2024-05-06 07:08:09");
    EXPECT_EQ(config.readText("Order", "TradeTime"), "");
}

TEST_P(ComposeStoreTest, SearchesWithinAClassAndGoodsClassesBySubstring)
{
    const MasterBook book(dbPath, receiverBook());
    for (const auto &[name, mobile, cls] :
         {std::tuple{"张一", "1", "批发"}, std::tuple{"张二", "2", "零售"}, std::tuple{"李三", "3", "批发"}})
        ASSERT_TRUE(
            book.save({{"rname", name}, {"rmobile", mobile}, {"raddress", "a"}, {"rclass", cls}}, MasterBook::Mode::Add)
                .ok());
    auto names = [](const DbRows &rows) {
        std::string out;
        for (const DbRow &r : rows)
            out += r.text("rname") + ";";
        return out;
    };
    EXPECT_EQ(names(searchBook(book, "批发", "张")), "张一;");
    EXPECT_EQ(names(searchBook(book, kAllClasses, "张")), "张二;张一;"); // pinyin order: er before yi
    EXPECT_EQ(names(searchBook(book, "批发", "")), "李三;张一;");

    DbConnection db;
    ASSERT_TRUE(db.open(dbPath));
    for (const char *sql : {"insert into cargo(cname, cclass) values('A', '床上用品')",
                            "insert into cargo(cname, cclass) values('B', '用品100%')",
                            "insert into cargo(cname, cclass) values('C', '食品')"})
        ASSERT_EQ(db.execute(sql), 1);
    auto goodsNames = [](const DbRows &rows) {
        std::string out;
        for (const DbRow &r : rows)
            out += r.text("cname");
        return out;
    };
    EXPECT_EQ(goodsNames(goodsOfClassLike(db, "用品")), "AB");
    EXPECT_EQ(goodsNames(goodsOfClassLike(db, "0%")), "B"); // "%" is no wildcard
    EXPECT_EQ(goodsNames(goodsOfClassLike(db, kAllClasses)), "ABC");
}

// Numbers are taken under config.ini's lock, as one step with the count-up:
// batches of several processes at once never share a number.
TEST_P(ComposeStoreTest, BatchesOfSeveralProcessesAtOnceNeverShareANumber)
{
    writeOrderNumberLock(config, true, "100");
    writeExpressNumberLock(config, true, "5000");
    constexpr int kProcesses = 8;
    std::vector<pid_t> children;
    for (int i = 0; i < kProcesses; ++i) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            const BatchAddResult r = addBatchToPrintList(receivers({{{"rname", "甲"}}, {{"rname", "乙"}}}), config);
            ::_exit(r.ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    int stored = 0;
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
            stored += 2;
    }
    const DbRows rows = printList();
    ASSERT_EQ(static_cast<int>(rows.size()), stored);
    std::set<std::string> orders, expresses;
    for (const DbRow &row : rows) {
        orders.insert(row.text("orderNo"));
        expresses.insert(row.text("expressNo"));
    }
    EXPECT_EQ(static_cast<int>(orders.size()), stored);
    EXPECT_EQ(static_cast<int>(expresses.size()), stored);
    EXPECT_GT(stored, 0);
    // Every batch stored here counted on; a failed one gave its numbers back
    // (the shop's order numbers are counted in the shared database).
    if (!onServer()) {
        EXPECT_EQ(config.readText("Order", "OrderNum"), std::to_string(100 + stored));
    }
    EXPECT_EQ(config.readText("Order", "ExpressNum"), std::to_string(5000 + stored));
}

TEST_P(ComposeStoreTest, TakenNumbersGoBackOnlyWhileNobodyTookMore)
{
    if (onServer())
        GTEST_SKIP() << "config.ini's counters only";
    // Switches off: nothing is taken, nothing written.
    writeOrderNumberLock(config, false, "");
    TakenNumbers none = takeNumbers(config, 1, true, true);
    EXPECT_TRUE(none.ok);
    EXPECT_EQ(none.orderNum, "");
    EXPECT_EQ(none.expressNum, "");

    writeOrderNumberLock(config, true, "0099");
    writeExpressNumberLock(config, true, "7");
    const TakenNumbers first = takeNumbers(config, 3, true, false);
    ASSERT_TRUE(first.ok);
    EXPECT_EQ(first.orderNum, "0099");
    EXPECT_EQ(first.nextOrderNum, "102");
    EXPECT_EQ(first.expressNum, ""); // not asked for
    EXPECT_EQ(first.nextExpressNum, "7");
    EXPECT_EQ(config.readText("Order", "OrderNum"), "102");
    EXPECT_EQ(config.readText("Order", "ExpressNum"), "7");

    // Given back at once: the counter is where it was.
    returnNumbers(config, first);
    EXPECT_EQ(config.readText("Order", "OrderNum"), "0099");

    // Given back after another take: the counter stays, the numbers are a gap.
    const TakenNumbers a = takeNumbers(config, 1, true, true);
    const TakenNumbers b = takeNumbers(config, 1, true, true);
    EXPECT_EQ(a.orderNum, "0099");
    EXPECT_EQ(b.orderNum, "100");
    EXPECT_EQ(b.expressNum, "8");
    returnNumbers(config, a);
    EXPECT_EQ(config.readText("Order", "OrderNum"), "101");
    EXPECT_EQ(config.readText("Order", "ExpressNum"), "9");
}
