#include "core/text/Gbk.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace zentra {
namespace {

using test::runProgram;

class DataCommandsTest : public ::testing::Test {
protected:
    test::CliResult cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--home", home});
        return runProgram(ZENTRA_CLI, args);
    }
    test::TempDir dir;
    std::string home = dir.file("shop");
};

TEST_F(DataCommandsTest, InitCreatesTheFolderAndPrintsIt)
{
    auto r = cli({"init"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, home + "\n");
    EXPECT_TRUE(test::slurp(home + "/data/data.db").starts_with("SQLite format 3"));
    EXPECT_EQ(cli({"init"}).exitCode, 0); // again: nothing to do
}

TEST_F(DataCommandsTest, HomeComesFromTheEnvironmentWithoutTheOption)
{
    auto r = runProgram(ZENTRA_CLI, {"init"}, {"ZENTRA_HOME=" + home});
    EXPECT_EQ(r.out, home + "\n");
    auto x = runProgram(ZENTRA_CLI, {"init"}, {"ZENTRA_HOME=", "XDG_DATA_HOME=" + dir.file("xdg")});
    EXPECT_EQ(x.out, dir.file("xdg") + "/zentra\n");
}

TEST_F(DataCommandsTest, ConfigSetWritesGbkAndGetReadsUtf8)
{
    EXPECT_EQ(cli({"config", "set", "Template", "Default", "圆通.ttp"}).exitCode, 0);
    EXPECT_EQ(test::slurp(home + "/config.ini"), "[Template]\r\nDefault=" + utf8ToGbk("圆通.ttp") + "\r\n");
    EXPECT_EQ(cli({"config", "get", "Template", "Default"}).out, "圆通.ttp\n");
    EXPECT_EQ(cli({"config", "get", "Template", "Missing"}).out, "\n");
    EXPECT_EQ(cli({"config", "get", "Template"}).exitCode, 2);
}

TEST_F(DataCommandsTest, MaintenanceCommandsPrintTheirOutcome)
{
    cli({"init"});
    const std::pair<const char *, const char *> ok[] = {
        {"backup", "数据库备份成功!\n"}, {"restore", "数据库还原成功!\n"}, {"compact", "数据库压缩和修复成功!\n"}};
    for (const auto &[cmd, out] : ok) {
        auto r = cli({cmd});
        EXPECT_EQ(r.exitCode, 0) << cmd;
        EXPECT_EQ(r.out, out);
    }
    test::spit(home + "/data/backup.db", "left over");
    auto c = cli({"compact"});
    EXPECT_EQ(c.exitCode, 1);
    EXPECT_TRUE(c.out.starts_with("数据库压缩失败!\n上次压缩留下的文件“" + home + "/data/backup.db”仍然存在。"))
        << c.out;

    ::unlink((home + "/backup/backup.bak").c_str());
    EXPECT_EQ(cli({"restore"}).out, "数据库还原失败!\n");
    ::rmdir((home + "/backup").c_str());
    EXPECT_EQ(cli({"backup"}).out, "数据库备份失败!\n");
}

}
}
