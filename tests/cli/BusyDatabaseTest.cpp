// Another process holding the database: commands wait for it as long as a
// compaction may take, and when it is held longer still they say the
// database is busy, in Chinese, never that an entry is missing.
#include "core/config/ConfigFile.h"
#include "core/data/DbConnection.h"
#include "core/templates/TemplateFile.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace zentra {
namespace {

using test::runProgram;

constexpr const char *kBusy = "数据库正忙，请稍后再试";

class BusyDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(cli({"init"}).exitCode, 0);
        Template t;
        t.imgWidth = "23";
        t.imgHeight = "12.7";
        TemplateItem it;
        it.id = 115;
        it.right = 100;
        it.bottom = 30;
        t.items[15] = it;
        ASSERT_TRUE(saveTemplateFile(home + "/template/t.ttp", t));
        ConfigFile(home + "/config.ini").writeText("Template", "Default", "t.ttp");
        ASSERT_EQ(cli({"receiver", "add", "name=张三", "mobile=13800000001", "address=文一路1号"}).out, "1\n");
    }

    test::CliResult cli(std::vector<std::string> args, const std::string &busyTimeoutMs = {})
    {
        args.insert(args.begin(), {"--home", home});
        std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen"};
        if (!busyTimeoutMs.empty())
            env.push_back("ZENTRA_BUSY_TIMEOUT_MS=" + busyTimeoutMs);
        return runProgram(ZENTRA_CLI, args, env);
    }

    test::TempDir dir;
    std::string home = dir.path();
};

TEST_F(BusyDatabaseTest, AHeldDatabaseIsSaidToBeBusy)
{
    DbConnection holder;
    ASSERT_TRUE(holder.open(home + "/data/data.db"));
    ASSERT_TRUE(holder.executeScript("BEGIN EXCLUSIVE"));
    const std::vector<std::string> commands[] = {
        {"compose", "--receiver", "1", "--add"},
        {"compose", "--receiver", "1", "--print", "--pdf", dir.file("x.pdf")},
        {"compose", "--receiver", "1", "--json"},
        {"print-list", "add-receivers", "1"},
        {"print-list", "list"},
        {"receiver", "list"},
        {"receiver", "add", "name=李四", "mobile=13800000002", "address=文二路2号"},
        {"history", "list"},
        {"user", "list"},
        {"user", "add", "packer", "pw"},
        {"taobao", "list"},
        {"backup"},
        {"compact"},
    };
    for (const auto &args : commands) {
        const auto r = cli(args, "300");
        const std::string said = r.out + r.err;
        EXPECT_EQ(r.exitCode, 1) << args[0] << " " << args[1] << "\n" << said;
        EXPECT_NE(said.find(kBusy), std::string::npos) << args[0] << " " << args[1] << "\n" << said;
        for (const char *wrong : {"locked", "no receiver", "no such"})
            EXPECT_EQ(said.find(wrong), std::string::npos) << args[0] << " " << args[1] << "\n" << said;
    }
    ASSERT_TRUE(holder.executeScript("ROLLBACK"));
    EXPECT_EQ(cli({"compose", "--receiver", "1", "--add"}, "300").exitCode, 0);
}

TEST_F(BusyDatabaseTest, WritersWaitForAHolderLongerThanAFewSecondsAndAllArrive)
{
    // A compaction of a large database holds it for many seconds; what is
    // started meanwhile waits for it instead of failing.
    DbConnection holder;
    ASSERT_TRUE(holder.open(home + "/data/data.db"));
    ASSERT_TRUE(holder.executeScript("BEGIN EXCLUSIVE"));
    std::vector<std::vector<std::string>> commands;
    for (int i = 10; i < 15; ++i) {
        const std::string n = std::to_string(i);
        commands.push_back({"receiver", "add", "name=R" + n, "mobile=139000000" + n, "address=路" + n});
        commands.push_back({"compose", "--receiver", "1", "--add"});
        commands.push_back({"print-list", "add-receivers", "1"});
    }
    std::vector<test::CliResult> results(commands.size());
    std::vector<std::thread> writers;
    for (std::size_t i = 0; i < commands.size(); ++i)
        writers.emplace_back([&, i] { results[i] = cli(commands[i]); });
    std::this_thread::sleep_for(std::chrono::milliseconds(5500));
    ASSERT_TRUE(holder.executeScript("COMMIT"));
    holder.close();
    for (auto &t : writers)
        t.join();
    for (std::size_t i = 0; i < commands.size(); ++i)
        EXPECT_EQ(results[i].exitCode, 0) << commands[i][0] << "\n" << results[i].out << results[i].err;
    DbConnection db;
    ASSERT_TRUE(db.open(home + "/data/data.db"));
    EXPECT_EQ(db.query("select count(*) from receiver")[0].at(0), "6");
    EXPECT_EQ(db.query("select count(*) from printList")[0].at(0), "10");
}

TEST_F(BusyDatabaseTest, AddsDuringACompactionAllArrive)
{
    // Enough history for the compaction to take a moment.
    {
        DbConnection db;
        ASSERT_TRUE(db.open(home + "/data/data.db"));
        ASSERT_TRUE(db.executeScript(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
            "INSERT INTO printHistory(orderNo, rname, raddress, printTime) "
            "SELECT 'NO' || i, '收件人' || i, '某市某区某路' || i || '号', '2024-01-01 10:00:00' FROM n"));
    }
    test::CliResult compacted;
    std::thread compaction([&] { compacted = cli({"compact"}); });
    std::vector<test::CliResult> results(15);
    std::vector<std::thread> adders;
    for (std::size_t i = 0; i < results.size(); ++i)
        adders.emplace_back([&, i] {
            const std::string n = std::to_string(i + 10);
            results[i] = cli({"receiver", "add", "name=R" + n, "mobile=139000000" + n, "address=路" + n});
        });
    compaction.join();
    for (auto &t : adders)
        t.join();
    EXPECT_EQ(compacted.out, "数据库压缩和修复成功!\n") << compacted.err;
    for (const auto &r : results)
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    DbConnection db;
    ASSERT_TRUE(db.open(home + "/data/data.db"));
    EXPECT_EQ(db.query("select count(*) from receiver")[0].at(0), "16");
    EXPECT_EQ(db.query("select count(*) from printHistory")[0].at(0), "20000");
}

}
}
