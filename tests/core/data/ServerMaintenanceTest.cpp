// Backup, restore and compaction of a shared database, through the same
// commands and messages as the embedded file's. Skipped without a test
// server (ZENTRA_TEST_PG_URL).
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Maintenance.h"
#include "core/data/Schema.h"
#include "core/data/ServerMaintenance.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace zentra {
namespace {

class ServerMaintenanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (test::testServerUrl().empty())
            GTEST_SKIP() << "no PostgreSQL server given (set ZENTRA_TEST_PG_URL to run the server's cases)";
        ASSERT_TRUE(server.ok()) << server.error();
        folder.setDatabase(server.url());
        std::string error;
        ASSERT_TRUE(initDataFolder(folder, &error)) << error;
    }

    void addReceiver(const std::string &name)
    {
        DbConnection db;
        ASSERT_TRUE(db.open(folder.databasePath()));
        ASSERT_EQ(db.execute("insert into receiver(rname) values(?)", {name}), 1);
    }
    std::string receivers()
    {
        DbConnection db;
        EXPECT_TRUE(db.open(folder.databasePath()));
        std::string all;
        for (const DbRow &r : db.query("select rname from receiver order by rID"))
            all += r.text("rname") + ";";
        return all;
    }

    test::TempDir dir;
    test::ServerDatabase server;
    DataFolder folder{dir.file("home")};
};

TEST_F(ServerMaintenanceTest, BackupThenRestoreBringsTheOldDataBack)
{
    addReceiver("甲");
    MaintenanceResult r = backupDatabase(folder);
    ASSERT_TRUE(r.ok) << r.detail;
    EXPECT_EQ(r.message, "数据库备份成功!");
    EXPECT_TRUE(fileExists(serverBackupPath(folder)));
    EXPECT_FALSE(fileExists(folder.backupPath())); // the file's backup is another thing

    addReceiver("乙");
    r = restoreDatabase(folder);
    ASSERT_TRUE(r.ok) << r.detail;
    EXPECT_EQ(r.message, "数据库还原成功!");
    EXPECT_EQ(receivers(), "甲;");
    // The restored database works on: its counters, its search index.
    addReceiver("丙");
    EXPECT_EQ(receivers(), "甲;丙;");
    DbConnection db;
    ASSERT_TRUE(db.open(folder.databasePath()));
    EXPECT_EQ(schemaVersionOf(db), kSchemaVersion);

    r = compactDatabase(folder);
    EXPECT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.message, "数据库压缩和修复成功!");
}

TEST_F(ServerMaintenanceTest, ABadBackupNeverReplacesTheDatabase)
{
    addReceiver("甲");
    // No backup yet.
    MaintenanceResult r = restoreDatabase(folder);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "数据库还原失败!");
    // A file that is no backup of ours.
    test::spit(serverBackupPath(folder), "not a dump");
    r = restoreDatabase(folder);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "数据库还原失败!");
    EXPECT_EQ(receivers(), "甲;");
    // Without the backup folder nothing is written.
    test::TempDir other;
    DataFolder bare(other.file("x"));
    bare.setDatabase(server.url());
    EXPECT_EQ(backupDatabase(bare).message, "数据库备份失败!");
}

TEST_F(ServerMaintenanceTest, WithoutTheClientToolsTheMessageSaysWhatIsMissing)
{
    ::setenv("ZENTRA_PG_BIN", dir.file("no-tools").c_str(), 1);
    const MaintenanceResult backup = backupDatabase(folder);
    const MaintenanceResult restore = restoreDatabase(folder);
    ::unsetenv("ZENTRA_PG_BIN");
    EXPECT_FALSE(backup.ok);
    EXPECT_EQ(backup.message, "数据库备份失败!");
    EXPECT_NE(backup.detail.find("pg_dump is not installed"), std::string::npos) << backup.detail;
    EXPECT_NE(backup.detail.find("postgresql-client"), std::string::npos) << backup.detail;
    EXPECT_FALSE(restore.ok);
    EXPECT_FALSE(fileExists(serverBackupPath(folder)));
}

}
}
