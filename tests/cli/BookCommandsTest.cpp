#include "core/text/Gbk.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace zentra {
namespace {

using test::runProgram;

class BookCommandsTest : public ::testing::Test {
protected:
    test::CliResult cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--home", home});
        return runProgram(ZENTRA_CLI, args);
    }
    test::TempDir dir;
    std::string home = dir.file("shop");
};

TEST_F(BookCommandsTest, ReceiverAddUpdateListDelete)
{
    auto add =
        cli({"receiver", "add", "name=张三", "mobile=138", "address=北京路1号", "note=O'Brien \"x\" 😀", "class=VIP"});
    ASSERT_EQ(add.exitCode, 0);
    EXPECT_EQ(add.out, "1\n");
    EXPECT_EQ(cli({"receiver", "add", "name=李四", "mobile=139", "address=b"}).out, "2\n");

    const std::pair<std::vector<std::string>, const char *> refusals[] = {
        {{"mobile=1", "address=a"}, "请输入收件人姓名!\n"},
        {{"name=a", "address=a"}, "请输入手机号码!\n"},
        {{"name=a", "mobile=1"}, "请输入收件人地址!\n"},
        {{"name=王", "mobile=138", "address=北京路1号"}, "收件人手机号码和地址重复!\n"},
    };
    for (const auto &[fields, message] : refusals) {
        std::vector<std::string> args{"receiver", "add"};
        args.insert(args.end(), fields.begin(), fields.end());
        auto r = cli(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, message);
    }
    EXPECT_EQ(cli({"receiver", "add", "nick=x"}).exitCode, 2);

    auto upd = cli({"receiver", "update", "mobile=138", "address=北京路1号", "name=张三丰", "qq=123"});
    EXPECT_EQ(upd.exitCode, 0);
    EXPECT_EQ(upd.out, "1\n");
    EXPECT_EQ(cli({"receiver", "update", "mobile=000", "address=北京路1号", "name=x"}).out, "0\n");

    auto list = cli({"receiver", "list"});
    ASSERT_EQ(list.exitCode, 0);
    // Ordered by name: 李四 (C0EE) before 张三丰 (D5C5).
    EXPECT_TRUE(list.out.starts_with("{\"rID\":2,\"rname\":\"李四\",\"rmobile\":\"139\""));
    const std::size_t second = list.out.find("\n{") + 1;
    const std::string zs = list.out.substr(second);
    EXPECT_TRUE(zs.starts_with("{\"rID\":1,\"rname\":\"张三丰\",\"rmobile\":\"138\"")) << zs;
    EXPECT_NE(zs.find("\"rnote\":\"O'Brien \\\"x\\\" 😀\""), std::string::npos);
    EXPECT_NE(zs.find("\"rqq\":\"123\""), std::string::npos);
    EXPECT_NE(zs.find("\"rclass\":\"VIP\""), std::string::npos); // kept by the update
    EXPECT_NE(zs.find("\"rnamePY\":\"zsf\""), std::string::npos);
    EXPECT_NE(zs.find("\"rdate\":\"20"), std::string::npos);

    EXPECT_EQ(cli({"receiver", "list", "--class", "VIP"}).out, zs);
    EXPECT_EQ(cli({"receiver", "list", "--search", "zsf"}).out, zs);
    EXPECT_EQ(cli({"receiver", "list", "--search", "%"}).out, "");

    EXPECT_EQ(cli({"receiver", "delete", "mobile=138", "address=北京路1号"}).out, "1\n");
    EXPECT_EQ(cli({"receiver", "delete", "mobile=138", "address=北京路1号"}).out, "0\n");
    EXPECT_EQ(cli({"receiver", "delete", "mobile=138"}).exitCode, 2);
}

TEST_F(BookCommandsTest, ClassCommandsGiveTheDialogsMessages)
{
    EXPECT_EQ(cli({"sender", "class", "add", "总店"}).exitCode, 0);
    auto dup = cli({"sender", "class", "add", "总店"});
    EXPECT_EQ(dup.exitCode, 1);
    EXPECT_EQ(dup.out, "该用户类别已经存在\n");
    EXPECT_EQ(cli({"sender", "class", "rename", "_全部类别_", "x"}).out, "全部类别无法修改\n");
    EXPECT_EQ(cli({"sender", "class", "delete", "_全部类别_"}).out, "全部类别无法删除\n");
    EXPECT_EQ(cli({"sender", "class", "rename", "总店", "分店"}).exitCode, 0);
    EXPECT_EQ(cli({"sender", "class", "list"}).out, "_全部类别_\n分店\n");
    EXPECT_EQ(cli({"cargo", "class", "add", "_全部类别_"}).out, "该货品类别已经存在\n");
    EXPECT_EQ(cli({"sender", "class", "delete", "分店"}).exitCode, 0);
    EXPECT_EQ(cli({"sender", "class", "list"}).out, "_全部类别_\n");
}

TEST_F(BookCommandsTest, SenderAndCargoUseTheirOwnKeysAndMessages)
{
    EXPECT_EQ(cli({"sender", "add", "name=店", "address=a"}).out, "请输入发件人手机号码!\n");
    EXPECT_EQ(cli({"sender", "add", "name=店", "mobile=1", "address=a", "self4=签名"}).out, "1\n");
    EXPECT_NE(cli({"sender", "list"}).out.find("\"sself4\":\"签名\""), std::string::npos);

    EXPECT_EQ(cli({"cargo", "add", "name=龙井", "short=茶", "weight=1.5", "priceOut=abc"}).out, "1\n");
    EXPECT_EQ(cli({"cargo", "add", "name=龙井", "short=茶"}).out, "货品名称重复!\n");
    EXPECT_EQ(cli({"cargo", "add", "name=x"}).out, "请输入货品简称!\n");
    EXPECT_EQ(cli({"cargo", "update", "name=龙井", "curNum=7"}).out, "1\n");
    auto list = cli({"cargo", "list"});
    EXPECT_TRUE(list.out.starts_with("{\"cargoID\":1,\"cname\":\"龙井\",\"cshort\":\"茶\",\"cclass\":\"\","
                                     "\"cbarcode\":\"\",\"cweight\":1.5,\"ccurNum\":7,"))
        << list.out;
    EXPECT_NE(list.out.find("\"cpriceOut\":0,"), std::string::npos);
    EXPECT_EQ(cli({"cargo", "delete", "name=龙井"}).out, "1\n");
}

TEST_F(BookCommandsTest, ImportAndExport)
{
    const std::string in = dir.file("in.csv");
    test::spit(
        in,
        utf8ToGbk("姓名,手机,地址,备注\n张三,138,\"北京路1号,\"\"东门\"\"\",\"两\n行\"\n缺手机,,b,\n李四,139,c,\n"));
    auto r = cli({"receiver", "import", in});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "新增 2，更新 0，跳过 1\n");
    EXPECT_EQ(cli({"receiver", "import", in}).out, "新增 0，更新 2，跳过 1\n");

    const std::string out = dir.file("out.csv");
    EXPECT_EQ(cli({"receiver", "export", out}).exitCode, 0);
    const std::string csv = test::slurp(out);
    EXPECT_TRUE(csv.starts_with("\xEF\xBB\xBF姓名,类别,旺旺号,QQ号,手机,固话,省份,城市,区镇,邮编,公司,地址,备注,"
                                "自定义1,自定义2,自定义3,自定义4,收录日期,编号\r\n"));
    EXPECT_NE(csv.find("\"北京路1号,\"\"东门\"\"\",\"两\n行\""), std::string::npos);

    // The export reads back into another shop as the same entries.
    test::TempDir other;
    auto again = runProgram(ZENTRA_CLI, {"--home", other.file("shop"), "receiver", "import", out});
    EXPECT_EQ(again.out, "新增 2，更新 0，跳过 0\n");
    EXPECT_EQ(cli({"receiver", "import", dir.file("missing.csv")}).exitCode, 1);
}

// The data folder's own files are never an export's target, whatever name
// leads to them: the command fails and the file stays as it was.
TEST_F(BookCommandsTest, ExportsAndOtherOutputsNeverReplaceTheDataFoldersFiles)
{
    ASSERT_EQ(cli({"receiver", "add", "name=张三", "mobile=1", "address=路"}).exitCode, 0);
    ASSERT_EQ(cli({"backup"}).exitCode, 0);
    ASSERT_EQ(cli({"config", "set", "System", "loginPass", "0"}).exitCode, 0);
    test::spit(home + "/template/t.ttp", "template");
    ASSERT_EQ(::symlink((home + "/data").c_str(), dir.file("data").c_str()), 0);
    const std::string own[] = {home + "/data/data.db",  home + "/backup/backup.bak", home + "/config.ini",
                               home + "/template/t.ttp", home + "/data/../data/data.db", dir.file("data/data.db")};
    for (const std::string &path : own) {
        const std::string before = test::slurp(path);
        const std::vector<std::vector<std::string>> commands = {
            {"receiver", "export", path},
            {"sender", "export", path},
            {"cargo", "export", path},
            {"print", "--template", "t", "--pdf", path},
            {"print-list", "--pdf", path},
            {"print-calibration", "--pdf", path},
            {"compose", "--receiver", "1", "--print", "--pdf", path},
            {"template", "copy", ZENTRA_SOURCE_DIR "/fuzz/seeds/one-item.ttp", path},
        };
        for (const auto &command : commands) {
            const auto r = cli(command);
            EXPECT_EQ(r.exitCode, 1) << command[0] << " " << path;
            EXPECT_TRUE(test::slurp(path) == before) << command[0] << " " << path;
        }
    }
    EXPECT_NE(cli({"receiver", "list"}).out.find("张三"), std::string::npos);
}

// Moving entries to another data folder by export and import keeps their time
// of entry and every value, formulas included, which go out marked as text.
TEST_F(BookCommandsTest, MovedEntriesKeepTheirTimeOfEntryAndFormulasGoOutAsText)
{
    const std::string in = dir.file("in.csv");
    test::spit(in, "姓名,手机,地址,备注,收录日期\r\n"
                   "张三,1,路,\"=HYPERLINK(\"\"http://example.com\"\",\"\"点我\"\")\",2020-01-02 03:04:05\r\n"
                   "李四,2,路,+1+cmd|x,2021/2/3 4:05\r\n");
    ASSERT_EQ(cli({"receiver", "import", in}).out, "新增 2，更新 0，跳过 0\n");
    const std::string out = dir.file("out.csv");
    ASSERT_EQ(cli({"receiver", "export", out}).exitCode, 0);
    const std::string csv = test::slurp(out);
    EXPECT_NE(csv.find(",\"'=HYPERLINK("), std::string::npos);
    EXPECT_NE(csv.find(",'+1+cmd|x,"), std::string::npos);

    test::TempDir other;
    const std::string shop = other.file("shop");
    ASSERT_EQ(runProgram(ZENTRA_CLI, {"--home", shop, "receiver", "import", out}).out, "新增 2，更新 0，跳过 0\n");
    const std::string list = runProgram(ZENTRA_CLI, {"--home", shop, "receiver", "list"}).out;
    EXPECT_NE(list.find("\"rdate\":\"2020-01-02 03:04:05\""), std::string::npos) << list;
    EXPECT_NE(list.find("\"rdate\":\"2021-02-03 04:05:00\""), std::string::npos) << list;
    EXPECT_NE(list.find("\"rnote\":\"=HYPERLINK(\\\"http://example.com\\\",\\\"点我\\\")\""), std::string::npos)
        << list;
    EXPECT_NE(list.find("\"rnote\":\"+1+cmd|x\""), std::string::npos) << list;
}

// A UTF-8 file with a GBK line, and a file that ends in a cut character: the
// damaged lines are named, and nothing stored is invalid UTF-8.
TEST_F(BookCommandsTest, TextThatIsNotValidInItsEncodingIsNeverStored)
{
    const std::string in = dir.file("in.csv");
    test::spit(in, "姓名,手机,地址\r\n张三,1,北京路\r\n" + utf8ToGbk("王五,2,广州路") + "\r\n李四,3,上海路\r\n赵六,4,深\xE5\x9C");
    const auto r = cli({"receiver", "import", in});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "新增 2，更新 0，跳过 2\n");
    const std::string list = cli({"receiver", "list"}).out;
    EXPECT_TRUE(isValidUtf8(list));
    EXPECT_NE(list.find("李四"), std::string::npos);
}

TEST_F(BookCommandsTest, FreightListSetQuote)
{
    auto list = cli({"freight", "list", "圆通"});
    ASSERT_EQ(list.exitCode, 0);
    EXPECT_TRUE(list.out.find("\"province\":\"北京市\",\"afreight\":\"10\",\"bfreight\":\"5\","
                              "\"moneyFree\":\"99999\"}") != std::string::npos)
        << list.out.substr(0, 200);
    EXPECT_EQ(cli({"freight", "set", "圆通", "浙江省", "8", "4", "100"}).out, "1\n");
    EXPECT_EQ(cli({"freight", "quote", "圆通", "浙江", "2.3", "50"}).out, "16.00\n");
    EXPECT_EQ(cli({"freight", "quote", "圆通", "浙江", "2.3", "100"}).out, "0.00\n");
    EXPECT_EQ(cli({"freight", "quote", "圆通", "浙江", "0", "50"}).out, "0.00\n");
    EXPECT_EQ(cli({"freight", "quote", "没有的模板", "浙江", "3", "50"}).out, "0.00\n");
    EXPECT_EQ(cli({"freight", "set", "圆通", "浙江省", "x", "4", "100"}).exitCode, 2);
    // The defaults stayed as they were.
    EXPECT_NE(cli({"freight", "list", "tmp_default"}).out.find("\"province\":\"浙江省\",\"afreight\":\"10\""),
              std::string::npos);
}

}
}
