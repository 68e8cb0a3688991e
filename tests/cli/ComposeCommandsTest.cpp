#include "core/config/ConfigFile.h"
#include "core/data/DbConnection.h"
#include "core/templates/TemplateFile.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <set>

namespace zentra {
namespace {

using test::runProgram;

class ComposeCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(cli({"init"}).exitCode, 0);
        Template t;
        t.imgWidth = "23";
        t.imgHeight = "12.7";
        for (int field : {0, 15, 20, 27, 36, 40, 41, 42, 43, 46, 47, 48, 49, 50, 52, 55, 56, 57, 58, 59}) {
            TemplateItem it;
            it.id = 100 + field;
            it.left = (field % 10) * 60;
            it.top = (field / 10) * 40;
            it.right = it.left + 55;
            it.bottom = it.top + 30;
            it.text = "x";
            t.items[static_cast<std::size_t>(field)] = it;
        }
        ASSERT_TRUE(saveTemplateFile(home + "/template/t.ttp", t));
        config.writeText("Template", "Default", "t.ttp");
        DbConnection db;
        ASSERT_TRUE(db.open(home + "/data/data.db"));
        for (const char *sql :
             {"insert into receiver(rID, rname, rprovince, rcity, raddress) values(1, '张三', '浙江省', '杭州市', "
              "'文一路1号')",
              "insert into receiver(rID, rname, rprovince) values(2, '赵六', '新疆')",
              "insert into sender(sID, sname, sself4) values(1, '李四', '李签名')",
              "insert into cargo(cname, cshort, cweight, cpriceOut) values('毛巾', 'mj', 1.15, 25)",
              "insert into freight(province, tmpName, afreight, bfreight, moneyFree) values('浙江省', 't', '10', '6', "
              "'100')",
              "insert into freight(province, tmpName, afreight, bfreight, moneyFree) values('新疆', 't', '20', '15', "
              "'1000')",
              "insert into cargoSel(cname, cshort, cweight, cpriceOut) values('毛巾', 'mj', 2.3, 50)"})
            ASSERT_EQ(db.execute(sql), 1) << sql;
    }

    test::CliResult cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--home", home});
        return runProgram(ZENTRA_CLI, args, {"QT_QPA_PLATFORM=offscreen"});
    }

    DbRows query(const std::string &sql)
    {
        DbConnection db;
        db.open(home + "/data/data.db");
        return db.query(sql);
    }

    test::TempDir dir;
    std::string home = dir.path();
    ConfigFile config{home + "/config.ini"};
};

TEST_F(ComposeCommandsTest, JsonHoldsTheTemplatesFieldsComposed)
{
    auto r = cli({"compose",
                  "--receiver",
                  "1",
                  "--sender",
                  "1",
                  "--goods",
                  "毛巾",
                  "--goods",
                  "毛巾",
                  "--order-no",
                  "0099",
                  "--trade-time",
                  "2024-05-06 07:08:09",
                  "--print-time",
                  "2024-05-06 07:08:09",
                  "--insured",
                  "1005",
                  "--set",
                  "41=SF1",
                  "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "{\"0\":\"李四\",\"15\":\"李签名\",\"20\":\"张三\",\"27\":\"文一路1号\",\"36\":\"浙江省杭州市\","
                     "\"40\":\"0099\",\"41\":\"SF1\",\"42\":\"2024-05-06 07:08:09\",\"43\":\"毛巾,2;\","
                     "\"46\":\"2.3\",\"47\":\"50\",\"48\":\"22.00\",\"49\":\"72.00\",\"50\":\"壹仟零伍元\","
                     "\"52\":\"壹\",\"55\":\"伍\",\"56\":\"2024\",\"57\":\"05\",\"58\":\"06\",\"59\":\"07\"}\n");
    // The panels' goods are left alone.
    EXPECT_EQ(query("select count(*) as n from cargoSel")[0].text("n"), "1");
}

TEST_F(ComposeCommandsTest, AddAndPrintStoreTheWaybill)
{
    config.writeText("Order", "AutoOrderNum", "1");
    config.writeText("Order", "OrderNum", "41");
    auto r = cli({"compose", "--receiver", "2", "--add"});
    ASSERT_EQ(r.exitCode, 0) << r.out;
    DbRows rows = query("select * from printList where printId=" + r.out);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text("rname"), "赵六");
    EXPECT_EQ(rows[0].text("orderNo"), "41");
    EXPECT_EQ(rows[0].text("templateName"), "t");
    EXPECT_EQ(config.readText("Order", "OrderNum"), "42");

    const std::string pdf = dir.file("one.pdf");
    r = cli({"compose", "--receiver", "1", "--print-time", "2024-05-06 07:08:09", "--print", "--pdf", pdf});
    ASSERT_EQ(r.exitCode, 0) << r.out;
    rows = query("select * from printHistory where printId=" + r.out);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text("printTime"), "2024-05-06 07:00:00");
    EXPECT_EQ(rows[0].text("raddress"), "文一路1号");
    EXPECT_FALSE(test::slurp(pdf).empty());

    // Without --receiver the stored default receiver is used.
    config.writeText("Receiver", "ReceiverLock", "1");
    config.writeText("Receiver", "ReceiverID", "2");
    r = cli({"compose", "--json"});
    EXPECT_NE(r.out.find("\"20\":\"赵六\""), std::string::npos) << r.out;

    EXPECT_EQ(cli({"compose", "--receiver", "99", "--json"}).exitCode, 1);
    EXPECT_EQ(cli({"compose", "--trade-time", "yesterday", "--json"}).exitCode, 2);
    EXPECT_EQ(cli({"compose", "--json", "--add"}).exitCode, 2);
    EXPECT_EQ(cli({"compose", "--print"}).exitCode, 2);
}

TEST_F(ComposeCommandsTest, BatchAddNumbersEachRowAndPricesItsProvince)
{
    config.writeText("Order", "AutoOrderNum", "1");
    config.writeText("Order", "OrderNum", "100");
    config.writeText("Cargo", "CargoLock", "1");
    config.writeText("Sender", "SenderLock", "1");
    config.writeText("Sender", "SenderID", "1");
    auto r = cli({"print-list", "add-receivers", "1", "2", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.out;
    DbRows rows = query("select * from printList order by printId");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(r.out, rows[0].text("printId") + "\n" + rows[1].text("printId") + "\n" + rows[2].text("printId") +
                         "\n添加成功！\n");
    EXPECT_EQ(rows[0].text("orderNo"), "100");
    EXPECT_EQ(rows[2].text("orderNo"), "102");
    EXPECT_EQ(rows[0].text("postfee"), "22");
    EXPECT_EQ(rows[1].text("postfee"), "50");
    EXPECT_EQ(rows[1].text("sname"), "李四");
    EXPECT_EQ(config.readText("Order", "OrderNum"), "103");

    r = cli({"print-list", "add-senders", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.out;
    rows = query("select * from printList order by printId desc limit 1");
    EXPECT_EQ(rows[0].text("sself4"), "李签名");
    EXPECT_EQ(rows[0].text("rname"), ""); // no default receiver

    EXPECT_EQ(cli({"print-list", "add-receivers", "77"}).exitCode, 1);
    EXPECT_EQ(query("select count(*) as n from printList")[0].text("n"), "4");
}

// Processes taking numbers at once: sixteen "compose --add", then compose and
// batch adds mixed. Every stored waybill has its own order and express number
// and the counters end past the last one handed out.
TEST_F(ComposeCommandsTest, ProcessesAddingAtOnceNeverShareANumber)
{
    config.writeText("Order", "AutoOrderNum", "1");
    config.writeText("Order", "OrderNum", "1000");
    config.writeText("Order", "AutoExpressNum", "1");
    config.writeText("Order", "ExpressNum", "5000");
    struct Round {
        std::vector<std::vector<std::string>> commands;
        int rows; // waybills the round stores
    };
    std::vector<std::vector<std::string>> compose(16, {"--home", home, "compose", "--receiver", "1", "--add"});
    std::vector<std::vector<std::string>> mixed;
    for (int i = 0; i < 6; ++i) {
        mixed.push_back({"--home", home, "compose", "--receiver", "2", "--add"});
        mixed.push_back({"--home", home, "print-list", "add-receivers", "1", "2"});
    }
    const Round rounds[] = {{compose, 16}, {mixed, 18}};
    int total = 0;
    for (const Round &round : rounds) {
        const auto results = test::runConcurrently(ZENTRA_CLI, round.commands, {"QT_QPA_PLATFORM=offscreen"});
        for (const auto &r : results)
            EXPECT_EQ(r.exitCode, 0) << r.out;
        total += round.rows;
        const DbRows rows = query("select orderNo, expressNo from printList");
        ASSERT_EQ(static_cast<int>(rows.size()), total);
        std::set<std::string> orders, expresses;
        for (const DbRow &row : rows) {
            orders.insert(row.text("orderNo"));
            expresses.insert(row.text("expressNo"));
        }
        EXPECT_EQ(static_cast<int>(orders.size()), total);
        EXPECT_EQ(static_cast<int>(expresses.size()), total);
        EXPECT_EQ(*orders.begin(), "1000");
        EXPECT_EQ(*orders.rbegin(), std::to_string(1000 + total - 1));
        EXPECT_EQ(config.readText("Order", "OrderNum"), std::to_string(1000 + total));
        EXPECT_EQ(config.readText("Order", "ExpressNum"), std::to_string(5000 + total));
    }
}

}
}
