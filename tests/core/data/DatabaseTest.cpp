#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Maintenance.h"
#include "core/data/Schema.h"
#include "core/users/PasswordHash.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>
#include <memory>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zentra {
namespace {

// The database of a data folder, on either engine.
class DatabaseTest : public test::FolderEngineTest {
protected:
    DbConnection &open()
    {
        EXPECT_TRUE(db.open(folder.databasePath())) << db.lastError();
        return db;
    }

    std::string scalar(const std::string &sql, const DbParams &params = {})
    {
        DbRows rows = db.query(sql, params);
        EXPECT_TRUE(rows.ok) << db.lastError();
        return rows.empty() ? std::string("<none>") : rows[0].at(0);
    }

    DbConnection db;
};

ZENTRA_ON_BOTH_ENGINES(DatabaseTest);

int modeOf(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

TEST_P(DatabaseTest, NewDataFolderIsOwnerOnlyAndSeeded)
{
    EXPECT_EQ(modeOf(folder.root()), 0700);
    if (!onServer()) {
        EXPECT_EQ(modeOf(folder.databasePath()), 0600);
    }
    for (const char *sub : {"data", "backup", "template"})
        EXPECT_EQ(modeOf(folder.path(sub)), 0700) << sub;

    open();
    for (const char *t : {"receiverClass", "senderClass", "cargoClass"})
        EXPECT_EQ(scalar(std::string("select className from ") + t), "_全部类别_") << t;
    EXPECT_EQ(scalar("select province from province where provinceID=?", {440000}), "广东省");
    EXPECT_EQ(scalar("select city from city where cityID=?", {440300}), "深圳市");
    EXPECT_EQ(scalar("select father from area where areaID=?", {440305}), "440300");
    EXPECT_EQ(scalar("select count(*) from freight where tmpName='tmp_default'"),
              scalar("select count(*) from province"));
    EXPECT_GT(std::stod(scalar("select afreight from freight where " + db.dialect().like("province", "?"), {"%广东%"})),
              0.0);
    // The administrator's empty password, kept as a hash.
    const std::string adminPassword = scalar("select user_pwd from userLogin where user_id=?", {"admin"});
    EXPECT_TRUE(isPasswordHash(adminPassword));
    EXPECT_TRUE(checkPassword(&adminPassword, "").match);

    // Permission positions 4 to 25 are the guarded functions, in ID order.
    DbRows perms =
        db.query("select Caption, permission from userPermission where user_id=? order by ID asc", {"admin"});
    ASSERT_GE(perms.size(), 26u);
    EXPECT_EQ(perms[4].text("Caption"), "新快递单");
    EXPECT_EQ(perms[5].text("Caption"), "单张打印");
    EXPECT_EQ(perms[12].text("Caption"), "删除模板");
    EXPECT_EQ(perms[21].text("Caption"), "数据库压缩和修复");
    EXPECT_EQ(perms[25].text("Caption"), "权限设置");
    for (const auto &row : perms)
        EXPECT_EQ(row.text("permission"), "1");
}

TEST_P(DatabaseTest, OpeningAgainChangesNothing)
{
    open().execute("insert into receiverClass(className) values(?)", {"老客户"});
    db.close();
    ASSERT_TRUE(initDataFolder(folder));
    open();
    EXPECT_EQ(scalar("select count(*) from receiverClass"), "2");
    EXPECT_TRUE(createSchema(db));
    EXPECT_EQ(scalar("select count(*) from userPermission"), "26");
}

TEST(DatabaseFile, OpenDoesNotCreateAMissingFile)
{
    test::TempDir dir;
    DbConnection db;
    EXPECT_FALSE(db.open(dir.file("nowhere.db")));
    EXPECT_FALSE(db.lastError().empty());
    EXPECT_FALSE(fileExists(dir.file("nowhere.db")));
}

TEST_P(DatabaseTest, ValuesAreStoredAndFoundVerbatim)
{
    open();
    const std::string tricky[] = {"O'Brien", "100%", "a\\b", "'; drop table receiver; --", "%_", "\"q\""};
    for (const auto &v : tricky)
        ASSERT_EQ(db.execute("insert into receiver(rname, raddress) values(?, ?)", {v, v}), 1) << db.lastError();
    for (const auto &v : tricky) {
        EXPECT_EQ(scalar("select rname from receiver where rname=?", {v}), v);
        // "%_" is a pattern itself and matches every row; a backslash is
        // no escape.
        EXPECT_EQ(scalar("select count(*) from receiver where " + db.dialect().like("raddress", "?"), {"%" + v + "%"}),
                  v == "%_" ? "6" : "1")
            << v;
    }
}

TEST_P(DatabaseTest, ExecuteCountsRowsAndReportsFailures)
{
    open();
    EXPECT_EQ(db.execute("delete from cargo where cname=?", {"nothing"}), 0);
    EXPECT_EQ(db.execute("update receiverClass set className=className"), 1);
    EXPECT_EQ(db.execute("insert into nosuchtable values(1)"), -1);
    EXPECT_NE(db.lastError().find("nosuchtable"), std::string::npos);
    EXPECT_FALSE(db.query("select nosuchcolumn from cargo").ok);
}

// The 48 waybill columns: printId, then 47 values.
int insertWaybill(DbConnection &db, const char *table, const std::string &orderNo)
{
    std::string sql = std::string("insert into ") + table +
                      "(orderNo, expressNo, templateName, printTime, tradeTime, cargoName, cargoShort, cargoNum, "
                      "cargoWeight, orderprice, postfee, getmoney, protectMoney, rname, rmobile, raddress, sname) "
                      "values(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
    return db.execute(sql, {orderNo, "SF1", "顺丰", "2026-12-07 10:00:00", "2026-12-06 09:00:00", "茶叶", "茶", 2.0,
                            1.5, 88.0, 10.0, 98.0, 500.0, "张三", "13800000000", "深圳", "李四"});
}

TEST_P(DatabaseTest, APrintedWaybillMovesToTheHistoryWithItsId)
{
    open();
    ASSERT_EQ(insertWaybill(db, "printList", "A"), 1);
    ASSERT_EQ(insertWaybill(db, "printList", "B"), 1);
    std::string id = scalar("select printId from printList where orderNo=?", {"B"});
    {
        Transaction tx(db);
        ASSERT_EQ(db.execute("insert into printHistory select * from printList where printId=?", {std::stoll(id)}), 1);
        ASSERT_EQ(db.execute("delete from printList where printId=?", {std::stoll(id)}), 1);
        ASSERT_TRUE(tx.commit());
    }
    EXPECT_EQ(scalar("select printId from printHistory where orderNo=?", {"B"}), id);
    EXPECT_EQ(scalar("select protectMoney from printHistory where orderNo=?", {"B"}), "500");
    EXPECT_EQ(scalar("select count(*) from printList"), "1");
}

TEST_P(DatabaseTest, IdsOfListAndHistoryNeverCollide)
{
    // Single prints go straight into the history and take ids there; a row
    // added to the list later must not reuse one of them.
    open();
    for (const char *o : {"H1", "H2", "H3"})
        ASSERT_EQ(insertWaybill(db, "printHistory", o), 1);
    ASSERT_EQ(insertWaybill(db, "printList", "L1"), 1);
    std::string id = scalar("select printId from printList where orderNo=?", {"L1"});
    EXPECT_EQ(db.execute("insert into printHistory select * from printList where printId=?", {std::stoll(id)}), 1)
        << db.lastError();
    // And the other way round.
    ASSERT_EQ(insertWaybill(db, "printList", "L2"), 1);
    ASSERT_EQ(insertWaybill(db, "printHistory", "H4"), 1);
    std::string l2 = scalar("select printId from printList where orderNo=?", {"L2"});
    EXPECT_EQ(db.execute("insert into printHistory select * from printList where printId=?", {std::stoll(l2)}), 1)
        << db.lastError();
    EXPECT_EQ(scalar("select count(distinct printId) from printHistory"), "6");
}

// A short busy timeout for one test, through the environment the programs
// read it from.
struct ShortBusyTimeout {
    ShortBusyTimeout() { ::setenv("ZENTRA_BUSY_TIMEOUT_MS", "100", 1); }
    ~ShortBusyTimeout() { ::unsetenv("ZENTRA_BUSY_TIMEOUT_MS"); }
};

TEST_P(DatabaseTest, ADatabaseHeldElsewhereFailsAsBusyWithItsOwnMessage)
{
    if (onServer())
        GTEST_SKIP() << "the embedded file's locks";
    ShortBusyTimeout shortWait;
    DbConnection holder;
    ASSERT_TRUE(holder.open(folder.databasePath()));

    // A writer holds it: others read, but no second writer starts.
    ASSERT_TRUE(holder.executeScript("BEGIN IMMEDIATE"));
    open();
    EXPECT_EQ(scalar("select count(*) from userLogin"), "1");
    {
        Transaction tx(db);
        EXPECT_FALSE(tx.active());
        EXPECT_TRUE(db.busy());
        EXPECT_EQ(db.lastError(), kDatabaseBusyMessage);
    }
    ASSERT_TRUE(holder.executeScript("ROLLBACK"));

    // Held for itself alone (as a compaction holds it): nothing is read.
    ASSERT_TRUE(holder.executeScript("BEGIN EXCLUSIVE"));
    DbConnection other;
    ASSERT_TRUE(other.open(folder.databasePath()));
    EXPECT_FALSE(other.query("select * from receiver").ok);
    EXPECT_TRUE(other.busy());
    EXPECT_EQ(other.lastError(), kDatabaseBusyMessage);
    EXPECT_EQ(other.execute("insert into receiver(rname) values('x')"), -1);
    EXPECT_EQ(other.lastError(), kDatabaseBusyMessage);
    ASSERT_TRUE(holder.executeScript("COMMIT"));

    // Any other failure keeps the engine's own words.
    EXPECT_EQ(other.execute("insert into nowhere values(1)"), -1);
    EXPECT_FALSE(other.busy());
    EXPECT_NE(other.lastError().find("nowhere"), std::string::npos) << other.lastError();
    EXPECT_EQ(other.execute("insert into receiver(rname) values('x')"), 1);
}

TEST_P(DatabaseTest, AWriterWaitsForTheLockLongerThanAFewSeconds)
{
    if (onServer())
        GTEST_SKIP() << "the embedded file's locks";
    // A compaction of a large database holds the lock for many seconds; a
    // writer started meanwhile must outlast it.
    int locked[2];
    ASSERT_EQ(::pipe(locked), 0);
    pid_t holder = ::fork();
    if (holder == 0) {
        DbConnection c;
        if (!c.open(folder.databasePath()) || !c.executeScript("BEGIN EXCLUSIVE"))
            ::_exit(1);
        (void)!::write(locked[1], "x", 1);
        ::usleep(5500 * 1000);
        ::_exit(c.executeScript("COMMIT") ? 0 : 1);
    }
    ASSERT_GT(holder, 0);
    ::close(locked[1]);
    char byte = 0;
    ASSERT_EQ(::read(locked[0], &byte, 1), 1);
    ::close(locked[0]);
    open();
    Transaction tx(db);
    EXPECT_TRUE(tx.active()) << db.lastError();
    EXPECT_EQ(db.execute("insert into receiver(rname) values('after')"), 1);
    EXPECT_TRUE(tx.commit()) << db.lastError();
    int status = 0;
    ::waitpid(holder, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_P(DatabaseTest, TransactionRollsBackUnlessCommitted)
{
    open();
    {
        Transaction tx(db);
        ASSERT_TRUE(tx.active());
        db.execute("insert into cargoClass(className) values(?)", {"茶"});
    }
    EXPECT_EQ(scalar("select count(*) from cargoClass"), "1");
}

// The rules every statement relies on, the same on both engines: NOCASE
// text ignores ASCII case only, LIKE finds substrings with "%" and "_" as
// typed and a backslash as itself, numbers read back in their shortest form
// and meet LIKE as SQLite writes them.
TEST_P(DatabaseTest, TextRulesAreTheSameOnBothEngines)
{
    open();
    const SqlDialect &d = db.dialect();
    const char *names[] = {"ABC", "abc", "Äpfel", "äpfel", "a\\b", "100%", "Ｆ", "ｆ", "_x"};
    for (const char *n : names)
        ASSERT_EQ(db.execute("insert into receiver(rname) values(?)", {n}), 1) << db.lastError();
    auto found = [&](const std::string &where, const std::string &value) {
        std::string out;
        for (const DbRow &r : db.query("select rname from receiver where " + where + " order by rID", {value}))
            out += r.text("rname") + "|";
        return out;
    };
    const std::string equal = d.folded("rname") + " = " + d.folded("?");
    const std::string like = d.like("rname", "?");
    const struct {
        std::string where, value, rows;
    } cases[] = {
        {equal, "abc", "ABC|abc|"}, {equal, "äpfel", "äpfel|"}, // a non-ASCII letter's case counts
        {equal, "ｆ", "ｆ|"},       {like, "%B%", "ABC|abc|a\\b|"},
        {like, "%ä%", "äpfel|"},    {like, "%\\%", "a\\b|"}, // a backslash is itself
        {like, "a_c", "ABC|abc|"},                           // "_" is one character
        {like, "%0\\%%", ""},                                // and no escape
        {like, "%0%%", "100%|"},    {like, "\\_%", ""},
        {like, "_x", "_x|"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(found(c.where, c.value), c.rows) << c.where << " with " << c.value;

    // Ordered with ASCII case ignored, ties by id.
    std::string order;
    for (const DbRow &r :
         db.query("select rname from receiver where rID <= 4 order by " + d.folded("rname") + " desc, rID asc"))
        order += r.text("rname") + "|";
    EXPECT_EQ(order, "äpfel|Äpfel|ABC|abc|");

    // Numbers: shortest exact when read, SQLite's text when searched.
    ASSERT_EQ(db.execute("insert into cargo(cname, cweight, cpriceIn, cpriceOut) values('n', 12.0, 0.1, 1e20)"), 1);
    DbRows n = db.query("select cweight, cpriceIn, cpriceOut from cargo where cname = 'n'");
    ASSERT_EQ(n.size(), 1u);
    EXPECT_EQ(n[0].text("cweight"), "12");
    EXPECT_EQ(n[0].text("cpriceIn"), "0.1");
    EXPECT_EQ(n[0].text("cpriceOut"), "1e+20");
    for (const auto &[pattern, column] :
         {std::pair{"%12.0%", "cweight"}, {"%0.1%", "cpriceIn"}, {"%1.0e+20%", "cpriceOut"}})
        EXPECT_EQ(scalar("select count(*) from cargo where " + d.like(d.realText(column), "?"), {pattern}), "1")
            << column;
}

TEST(NumberText, OnlyTextsANumberCanShowMeetTheFigureColumns)
{
    const std::pair<const char *, bool> cases[] = {
        {"%12.5%", true},  {"%-1.0E+20%", true}, {"%inf%", true},  {"%_%", true},    {"%%", true},
        {"%张伟%", false}, {"%12a%", false},     {"%1 2%", false}, {"%1,5%", false}, {"%\\%", false},
    };
    for (const auto &[pattern, can] : cases)
        EXPECT_EQ(numberTextCanMatch(pattern), can) << pattern;
}

TEST_P(DatabaseTest, SavepointsUndoOneUnitOfABatch)
{
    open();
    Transaction tx(db);
    ASSERT_TRUE(tx.active());
    ASSERT_EQ(db.execute("insert into cargoClass(className) values('a')"), 1);
    {
        Savepoint unit(db, "unit");
        ASSERT_TRUE(unit.active());
        ASSERT_EQ(db.execute("insert into cargoClass(className) values('b')"), 1);
        EXPECT_EQ(db.execute("insert into nosuchtable values(1)"), -1);
        unit.rollback();
        EXPECT_NE(db.lastError().find("nosuchtable"), std::string::npos) << db.lastError();
    }
    {
        Savepoint unit(db, "unit");
        ASSERT_EQ(db.execute("insert into cargoClass(className) values('c')"), 1);
        EXPECT_TRUE(unit.release());
    }
    ASSERT_TRUE(tx.commit());
    std::string all;
    for (const DbRow &r : db.query("select className from cargoClass order by className"))
        all += r.text("className") + "|";
    EXPECT_EQ(all, "_全部类别_|a|c|");
}

TEST_P(DatabaseTest, AWriterWaitsForAnotherAndThenSaysTheDatabaseIsBusy)
{
    open();
    Transaction first(db);
    ASSERT_TRUE(first.active());
    ASSERT_EQ(db.execute("insert into cargoClass(className) values('a')"), 1);
    DbConnection other;
    ASSERT_TRUE(other.open(folder.databasePath()));
    other.setBusyTimeout(300);
    Transaction second(other);
    EXPECT_FALSE(second.active());
    EXPECT_EQ(other.lastFailure(), DbFailure::Busy) << other.lastError();
    // A reader is not held up by the writer, and does not see its work.
    EXPECT_EQ(other.query("select count(*) from cargoClass")[0].at(0), "1");
    ASSERT_TRUE(first.commit());
    Transaction third(other);
    EXPECT_TRUE(third.active()) << other.lastError();
}

TEST_P(DatabaseTest, ALostConnectionSaysSo)
{
    if (!onServer())
        GTEST_SKIP() << "an embedded file does not go away";
    open();
    const std::string pid = scalar("select pg_backend_pid()");
    {
        DbConnection admin;
        ASSERT_TRUE(admin.open(folder.databasePath()));
        ASSERT_EQ(admin.query("select pg_terminate_backend(?)", {std::stoll(pid)})[0].at(0), "1");
    }
    EXPECT_FALSE(db.query("select 1").ok);
    EXPECT_EQ(db.lastFailure(), DbFailure::Lost) << db.lastError();
    // Reopened, it works again.
    open();
    EXPECT_EQ(scalar("select 1"), "1");
}

TEST(ServerDatabase, AnUnreachableServerIsNamedAndNothingIsWritten)
{
    test::TempDir dir;
    DataFolder folder(dir.file("home"));
    folder.setDatabase("postgresql://zentra@/shop?host=" + dir.file("no-server"));
    std::string error;
    EXPECT_FALSE(initDataFolder(folder, &error));
    EXPECT_NE(error.find(dir.file("no-server")), std::string::npos) << error;
    DbConnection db;
    EXPECT_FALSE(db.open(folder.databasePath()));
    EXPECT_EQ(db.lastFailure(), DbFailure::Lost);
    EXPECT_FALSE(fileExists(folder.embeddedDatabasePath()));
}

// The embedded file's backup, restore and compaction.
class MaintenanceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(initDataFolder(folder)); }

    DbConnection &open()
    {
        EXPECT_TRUE(db.open(folder.databasePath())) << db.lastError();
        return db;
    }

    test::TempDir dir;
    DataFolder folder{dir.file("home")};
    DbConnection db;

    void addReceiver(const std::string &name)
    {
        DbConnection c;
        ASSERT_TRUE(c.open(folder.databasePath()));
        ASSERT_EQ(c.execute("insert into receiver(rname) values(?)", {name}), 1);
    }
    std::string receivers()
    {
        DbConnection c;
        EXPECT_TRUE(c.open(folder.databasePath()));
        std::string all;
        for (const auto &r : c.query("select rname from receiver order by rID"))
            all += r.text("rname") + ";";
        return all;
    }
};

TEST_F(MaintenanceTest, BackupThenRestoreBringsTheOldDataBack)
{
    addReceiver("before");
    MaintenanceResult b = backupDatabase(folder);
    EXPECT_TRUE(b.ok);
    EXPECT_EQ(b.message, "数据库备份成功!");
    addReceiver("after");
    MaintenanceResult r = restoreDatabase(folder);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.message, "数据库还原成功!");
    EXPECT_EQ(receivers(), "before;");
}

TEST_F(MaintenanceTest, BackupFailsWithoutTheBackupFolder)
{
    ASSERT_EQ(::rmdir(folder.path("backup").c_str()), 0);
    MaintenanceResult b = backupDatabase(folder);
    EXPECT_FALSE(b.ok);
    EXPECT_EQ(b.message, "数据库备份失败!");
    EXPECT_FALSE(fileExists(folder.path("backup")));
}

TEST_F(MaintenanceTest, RestoreWithoutABackupLeavesTheDatabase)
{
    addReceiver("kept");
    MaintenanceResult r = restoreDatabase(folder);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "数据库还原失败!");
    EXPECT_EQ(receivers(), "kept;");

    test::spit(folder.backupPath(), "this is not a database");
    EXPECT_EQ(restoreDatabase(folder).message, "数据库还原失败!");
    EXPECT_EQ(receivers(), "kept;");
}

TEST_F(MaintenanceTest, CompactKeepsTheDataAndReplacesTheFile)
{
    addReceiver("x");
    MaintenanceResult c = compactDatabase(folder);
    EXPECT_TRUE(c.ok) << c.message;
    EXPECT_EQ(c.message, "数据库压缩和修复成功!");
    EXPECT_EQ(receivers(), "x;");
    EXPECT_FALSE(fileExists(folder.compactTargetPath()));
    EXPECT_EQ(modeOf(folder.databasePath()), 0600);
}

TEST_F(MaintenanceTest, CompactRefusesALeftoverTargetNamesItAndChangesNothing)
{
    addReceiver("y");
    test::spit(folder.compactTargetPath(), "leftover");
    MaintenanceResult c = compactDatabase(folder);
    EXPECT_FALSE(c.ok);
    // The user reads in Chinese which file is in the way and that it may go.
    EXPECT_EQ(c.message, "数据库压缩失败!\n上次压缩留下的文件“" + folder.compactTargetPath() +
                             "”仍然存在。确认不再需要它后，可以删除该文件，然后再压缩。");
    EXPECT_EQ(test::slurp(folder.compactTargetPath()), "leftover");
    EXPECT_EQ(receivers(), "y;");
    ::unlink(folder.compactTargetPath().c_str());
    EXPECT_TRUE(compactDatabase(folder).ok);
}

// Damaged copies: an empty file, random bytes written into the middle, a
// database that is not ours.
enum class Damage { Empty, Scribbled, Foreign };

void damage(const std::string &path, Damage how)
{
    if (how == Damage::Empty) {
        test::spit(path, "");
    } else if (how == Damage::Scribbled) {
        std::string bytes = test::slurp(path);
        ASSERT_GT(bytes.size(), 60000u);
        unsigned seed = 7;
        for (std::size_t i = 16384; i < 16384 + 40960 && i < bytes.size(); ++i)
            bytes[i] = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
        test::spit(path, bytes);
    } else {
        ::unlink(path.c_str());
        DbConnection other;
        ASSERT_TRUE(other.open(path, true));
        ASSERT_TRUE(other.executeScript("create table notes(t text); insert into notes values('x');"));
    }
}

TEST_F(MaintenanceTest, ADamagedBackupNeverReplacesTheDatabase)
{
    addReceiver("kept");
    for (Damage how : {Damage::Empty, Damage::Scribbled, Damage::Foreign}) {
        ASSERT_TRUE(backupDatabase(folder).ok);
        damage(folder.backupPath(), how);
        MaintenanceResult r = restoreDatabase(folder);
        EXPECT_FALSE(r.ok) << int(how);
        EXPECT_EQ(r.message, "数据库还原失败!");
        EXPECT_FALSE(r.detail.empty());
        EXPECT_EQ(receivers(), "kept;");
        EXPECT_EQ(checkDatabaseFile(folder.databasePath()), "");
    }
}

TEST_F(MaintenanceTest, ADamagedDatabaseNeverReplacesAGoodBackup)
{
    addReceiver("saved");
    ASSERT_TRUE(backupDatabase(folder).ok);
    const std::string good = test::slurp(folder.backupPath());
    for (Damage how : {Damage::Empty, Damage::Scribbled, Damage::Foreign}) {
        const std::string live = test::slurp(folder.databasePath());
        damage(folder.databasePath(), how);
        MaintenanceResult b = backupDatabase(folder);
        EXPECT_FALSE(b.ok) << int(how);
        EXPECT_EQ(b.message, "数据库备份失败!");
        EXPECT_EQ(test::slurp(folder.backupPath()), good);
        test::spit(folder.databasePath(), live);
    }
}

TEST_F(MaintenanceTest, RestoreAndBackupMendWhatIsDamaged)
{
    addReceiver("first");
    ASSERT_TRUE(backupDatabase(folder).ok);
    // The situations the commands exist for: data.db damaged or gone, restore
    // still works; backup.bak damaged, a new backup still replaces it.
    for (Damage how : {Damage::Empty, Damage::Scribbled}) {
        damage(folder.databasePath(), how);
        EXPECT_TRUE(restoreDatabase(folder).ok) << int(how);
        EXPECT_EQ(receivers(), "first;");
    }
    ASSERT_EQ(::unlink(folder.databasePath().c_str()), 0);
    EXPECT_TRUE(restoreDatabase(folder).ok);
    EXPECT_EQ(receivers(), "first;");

    addReceiver("second");
    damage(folder.backupPath(), Damage::Scribbled);
    EXPECT_TRUE(backupDatabase(folder).ok);
    EXPECT_EQ(checkDatabaseFile(folder.backupPath()), "");
    addReceiver("third");
    ASSERT_TRUE(restoreDatabase(folder).ok);
    EXPECT_EQ(receivers(), "first;second;");
}

TEST_F(MaintenanceTest, ReadOnlyFilesAreHonoured)
{
    addReceiver("r");
    ASSERT_TRUE(backupDatabase(folder).ok);
    ::chmod(folder.databasePath().c_str(), 0444);
    MaintenanceResult c = compactDatabase(folder);
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.message, "数据库压缩失败!\n数据库文件“" + folder.databasePath() + "”是只读的，无法压缩。");
    EXPECT_FALSE(restoreDatabase(folder).ok);
    EXPECT_EQ(modeOf(folder.databasePath()), 0444);

    ::chmod(folder.databasePath().c_str(), 0600);
    ::chmod(folder.backupPath().c_str(), 0400);
    EXPECT_FALSE(backupDatabase(folder).ok);
    EXPECT_EQ(modeOf(folder.backupPath()), 0400);
}

TEST_F(MaintenanceTest, CompactingADamagedDatabaseNamesIt)
{
    addReceiver("r");
    damage(folder.databasePath(), Damage::Scribbled);
    MaintenanceResult c = compactDatabase(folder);
    EXPECT_FALSE(c.ok);
    EXPECT_TRUE(c.message.starts_with("数据库压缩失败!\n数据库文件“" + folder.databasePath() + "”无法读取或已损坏："))
        << c.message;
    EXPECT_TRUE(c.detail.starts_with(folder.databasePath() + ":")) << c.detail;
    EXPECT_FALSE(fileExists(folder.compactTargetPath()));
}

TEST_F(MaintenanceTest, TheCheckNamesMissingColumnsAndTellsBusyFromDamaged)
{
    EXPECT_TRUE(checkDatabase(folder.databasePath()).good());
    {
        DbConnection c;
        ASSERT_TRUE(c.open(folder.databasePath()));
        ASSERT_TRUE(c.executeScript("alter table receiver drop column rcompany"));
    }
    DatabaseCheck check = checkDatabase(folder.databasePath());
    EXPECT_EQ(check.state, DatabaseCheck::State::Damaged);
    EXPECT_EQ(check.reason, folder.databasePath() + ": no column rcompany in table receiver");
    // Such a file is no backup either.
    test::spit(folder.backupPath(), test::slurp(folder.databasePath()));
    EXPECT_FALSE(restoreDatabase(folder).ok);

    ASSERT_TRUE(initDataFolder(folder, nullptr));
    ::unlink(folder.databasePath().c_str());
    ASSERT_TRUE(initDataFolder(folder, nullptr));
    ShortBusyTimeout shortWait;
    DbConnection holder;
    ASSERT_TRUE(holder.open(folder.databasePath()));
    ASSERT_TRUE(holder.executeScript("BEGIN EXCLUSIVE"));
    check = checkDatabase(folder.databasePath());
    EXPECT_EQ(check.state, DatabaseCheck::State::Busy);
    EXPECT_EQ(check.reason, folder.databasePath() + ": " + kDatabaseBusyMessage);
    ASSERT_TRUE(holder.executeScript("COMMIT"));
}

TEST_F(MaintenanceTest, RestoringADamagedDatabaseKeepsTheDamagedFile)
{
    addReceiver("saved");
    ASSERT_TRUE(backupDatabase(folder).ok);
    test::spit(folder.databasePath(), "not a database, but maybe worth a look");
    MaintenanceResult r = restoreDamagedDatabase(folder);
    EXPECT_TRUE(r.ok) << r.detail;
    EXPECT_EQ(receivers(), "saved;");
    EXPECT_EQ(test::slurp(folder.databasePath() + ".damaged"), "not a database, but maybe worth a look");

    // Without a good backup nothing moves.
    test::spit(folder.databasePath(), "damaged again");
    test::spit(folder.backupPath(), "no backup");
    r = restoreDamagedDatabase(folder);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(test::slurp(folder.databasePath()), "damaged again");
    EXPECT_EQ(test::slurp(folder.databasePath() + ".damaged"), "not a database, but maybe worth a look");
}

TEST_F(MaintenanceTest, AWriterHoldingItsLockCommitsWhileACompactionWaitsForIt)
{
    addReceiver("before");
    // A writer is in the middle of its transaction when the compaction
    // starts: the compaction waits for it, and must not stand in the way of
    // its commit meanwhile, or both wait for each other until one gives up.
    DbConnection writer;
    ASSERT_TRUE(writer.open(folder.databasePath()));
    auto tx = std::make_unique<Transaction>(writer);
    ASSERT_TRUE(tx->active()) << writer.lastError();
    MaintenanceResult compacted;
    std::thread compaction([&] { compacted = compactDatabase(folder); });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(writer.execute("insert into receiver(rname) values('during')"), 1);
    EXPECT_TRUE(tx->commit()) << writer.lastError();
    tx.reset();
    writer.close();
    compaction.join();
    EXPECT_TRUE(compacted.ok) << compacted.message;
    EXPECT_EQ(receivers(), "before;during;");
}

TEST_F(MaintenanceTest, CompactionLosesNoConcurrentCommit)
{
    // Fill the database so compaction takes a while, leave free pages behind.
    {
        DbConnection c;
        ASSERT_TRUE(c.open(folder.databasePath()));
        Transaction tx(c);
        for (int i = 0; i < 20000; ++i)
            c.execute("insert into receiver(rname, raddress) values(?, ?)",
                      {"n" + std::to_string(i), std::string(200, 'a')});
        ASSERT_TRUE(tx.commit());
        ASSERT_GE(c.execute("delete from receiver where rID % 2 = 0"), 0);
    }
    const auto sizeBefore = test::slurp(folder.databasePath()).size();

    // Another writer commits rows one by one while compaction runs; every row
    // it was told is committed must be there afterwards.
    std::atomic<bool> stop{false};
    std::atomic<int> committed{0};
    std::thread writer([&] {
        for (int i = 0; !stop && i < 100000; ++i) {
            DbConnection c;
            if (c.open(folder.databasePath()) &&
                c.execute("insert into sender(sname) values(?)", {"w" + std::to_string(i)}) == 1)
                ++committed;
            c.close();
            // A user's writes come with pauses; a writer that never pauses
            // could starve the compaction of its lock.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    while (committed < 5)
        std::this_thread::yield();
    MaintenanceResult r = compactDatabase(folder);
    const int before = committed;
    while (committed < before + 5)
        std::this_thread::yield();
    stop = true;
    writer.join();

    EXPECT_TRUE(r.ok) << r.message;
    EXPECT_LT(test::slurp(folder.databasePath()).size(), sizeBefore);
    DbConnection c;
    ASSERT_TRUE(c.open(folder.databasePath()));
    EXPECT_EQ(c.query("select count(*) from sender where sname like 'w%'")[0].at(0), std::to_string(committed.load()));
    EXPECT_EQ(c.query("select count(*) from receiver")[0].at(0), "10000");
}

}
}
