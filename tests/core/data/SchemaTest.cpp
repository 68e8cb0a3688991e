#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/masterdata/MasterBook.h"
#include "core/taobao/TaobaoOrders.h"
#include "core/waybill/HistoryStore.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <thread>

namespace zentra {
namespace {

std::vector<std::string> names(const DbRows &rows)
{
    std::vector<std::string> out;
    for (const DbRow &r : rows)
        out.push_back(r.text("rname"));
    return out;
}

// A data folder whose data.db was made by the program before its schema had
// versions (tests/core/data/fixtures/version0.sql), with some rows.
class OlderFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.ensureLayout());
        DbConnection db;
        ASSERT_TRUE(db.open(folder.databasePath(), true));
        ASSERT_TRUE(db.executeScript(test::slurp(std::string(ZENTRA_SOURCE_DIR) +
                                                 "/tests/core/data/fixtures/version0.sql")))
            << db.lastError();
        ASSERT_TRUE(db.executeScript(
            "insert into receiver(rname, rmobile, raddress) values ('张三', '1', 'a'), ('Bob', '2', 'b'),"
            " ('安然', '3', 'c');"
            "insert into printHistory(rname, printTime) values ('老客户', '2024-01-02 03:04:05');"
            "insert into tbGoods(tb_orderNum, tb_item, tb_num) values ('A', 'z', '1'), ('A', 'a', '1'), ('A', 'm', '1');"
            "insert into userLogin(user_id, user_pwd) values ('admin', '');"))
            << db.lastError();
    }

    test::TempDir dir;
    DataFolder folder{dir.file("shop")};
};

TEST_F(OlderFileTest, IsUpgradedOnStartAndKeepsItsRows)
{
    std::string error;
    ASSERT_TRUE(initDataFolder(folder, &error)) << error;
    DbConnection db;
    ASSERT_TRUE(db.open(folder.databasePath()));
    EXPECT_EQ(schemaVersionOf(db), kSchemaVersion);

    // The names are listed in the GBK order from the new sort keys.
    MasterBook receivers(folder.databasePath(), receiverBook());
    EXPECT_EQ(names(receivers.list()), (std::vector<std::string>{"Bob", "安然", "张三"}));
    // The history's search index was made and holds the old row.
    const TimeRange all{"2000-01-01 00:00:00", "2100-01-01 00:00:00"};
    EXPECT_EQ(readHistory(db, all, "老客户", HistoryOrder::ByReceiver).size(), 1u);
    // An order's items keep their order.
    std::vector<TbItem> items;
    ASSERT_TRUE(orderItems(db, "A", items));
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].item + items[1].item + items[2].item, "zam");
    // Starting again changes nothing.
    ASSERT_TRUE(initDataFolder(folder, &error)) << error;
    EXPECT_EQ(names(receivers.list()), (std::vector<std::string>{"Bob", "安然", "张三"}));
}

TEST_F(OlderFileTest, APlainSqliteShellCanWriteTheBooksAgain)
{
    ASSERT_TRUE(initDataFolder(folder));
    // A connection without our "GBK" collation, as the sqlite3 shell has.
    sqlite3 *plain = nullptr;
    ASSERT_EQ(sqlite3_open(folder.databasePath().c_str(), &plain), SQLITE_OK);
    char *msg = nullptr;
    const int rc = sqlite3_exec(plain,
                                "insert into receiver(rname, rmobile, raddress) values ('阿明', '4', 'd');"
                                "update receiver set rname = '赵六' where rmobile = '1';",
                                nullptr, nullptr, &msg);
    EXPECT_EQ(rc, SQLITE_OK) << (msg ? msg : "");
    sqlite3_free(msg);
    sqlite3_close(plain);
    MasterBook receivers(folder.databasePath(), receiverBook());
    EXPECT_EQ(names(receivers.list()), (std::vector<std::string>{"Bob", "阿明", "安然", "赵六"}));
}

TEST_F(OlderFileTest, AFailedUpgradeChangesNothing)
{
    {
        // Something in the way of a later step: the name of its index.
        DbConnection db;
        ASSERT_TRUE(db.open(folder.databasePath()));
        ASSERT_TRUE(db.executeScript("create table receiver_nameKey(x)"));
    }
    const std::string before = test::slurp(folder.databasePath());
    std::string error;
    EXPECT_FALSE(initDataFolder(folder, &error));
    EXPECT_NE(error.find("receiver_nameKey"), std::string::npos) << error;
    EXPECT_EQ(test::slurp(folder.databasePath()), before);
    DbConnection db;
    ASSERT_TRUE(db.open(folder.databasePath()));
    EXPECT_EQ(schemaVersionOf(db), 0);
    EXPECT_EQ(db.query("select 1 from sqlite_master where name = 'printHistoryText'").size(), 0u);
}

// The schema's rules on either engine.
class SchemaTest : public test::EngineTest {
protected:
    test::TempDir dir;
    DataFolder folder{folderAt(dir.file("shop"))};
};

ZENTRA_ON_BOTH_ENGINES(SchemaTest);

TEST_P(SchemaTest, ANewerDatabaseIsRefusedAndLeftAlone)
{
    std::string error;
    ASSERT_TRUE(initDataFolder(folder, &error)) << error;
    {
        DbConnection db;
        ASSERT_TRUE(db.open(folder.databasePath()));
        ASSERT_EQ(db.execute("update dbInfo set infoValue = '99' where infoName = 'schemaVersion'"), 1);
        // Something a newer program would have made.
        ASSERT_TRUE(db.executeScript("create table newerThings(x integer)"));
    }
    EXPECT_FALSE(initDataFolder(folder, &error));
    EXPECT_NE(error.find("99"), std::string::npos) << error;
    EXPECT_NE(error.find(std::to_string(kSchemaVersion)), std::string::npos) << error;

    DbConnection db;
    ASSERT_TRUE(db.open(folder.databasePath()));
    EXPECT_FALSE(createSchema(db));
    EXPECT_EQ(db.query("select infoValue from dbInfo where infoName = 'schemaVersion'")[0].at(0), "99");
    EXPECT_TRUE(db.query("select x from newerThings").ok);
}

TEST_P(SchemaTest, StationsStartingTogetherMakeTheDatabaseOnce)
{
    if (!onServer())
        GTEST_SKIP() << "the embedded file belongs to one station";
    std::vector<std::thread> stations;
    std::vector<std::string> errors(4);
    std::vector<int> ok(4, 0);
    for (int i = 0; i < 4; ++i)
        stations.emplace_back([&, i] { ok[i] = initDataFolder(folder, &errors[i]); });
    for (auto &t : stations)
        t.join();
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(ok[i]) << errors[i];
    DbConnection db;
    ASSERT_TRUE(db.open(folder.databasePath()));
    EXPECT_EQ(db.query("select user_id from userLogin").size(), 1u);
    EXPECT_EQ(db.query("select className from receiverClass").size(), 1u);
    EXPECT_EQ(schemaVersionOf(db), kSchemaVersion);
}

TEST_P(SchemaTest, TheSameTablesAndColumnsOnBothEngines)
{
    std::string error;
    ASSERT_TRUE(initDataFolder(folder, &error)) << error;
    DbConnection db;
    ASSERT_TRUE(db.open(folder.databasePath()));
    for (const SchemaTable &t : schemaTables()) {
        DbRows rows = db.query("select * from " + t.name + " where 1 = 0");
        ASSERT_TRUE(rows.ok) << t.name << ": " << db.lastError();
        ASSERT_EQ(rows.columns.size(), t.columns.size()) << t.name;
        for (std::size_t i = 0; i < t.columns.size(); ++i) {
            std::string want = t.columns[i].name, have = rows.columns[i];
            for (char &c : want)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            for (char &c : have)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            EXPECT_EQ(have, want) << t.name << " column " << i;
        }
    }
}

}
}
