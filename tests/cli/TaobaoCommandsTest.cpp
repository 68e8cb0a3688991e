#include "core/text/Gbk.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zentra {
namespace {

using test::runProgram;

class TaobaoCommandsTest : public ::testing::Test {
protected:
    test::CliResult cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--home", home});
        return runProgram(ZENTRA_CLI, args);
    }
    std::string write(const std::string &name, const std::string &text)
    {
        test::spit(dir.file(name), text);
        return dir.file(name);
    }
    test::TempDir dir;
    std::string home = dir.file("shop");
};

const char *const kOrders =
    "\xEF\xBB\xBF订单编号,买家会员名,订单状态,订单创建时间,买家应付货款,买家应付邮费,总金额,收货人姓名,"
    "买家留言,联系手机,联系电话,收货地址\r\n"
    "=\"31\",amy,等待发货,2026-12-01 10:00:00,10,5,15,王五,\"带\"\"引号\"\"\",'13900000000,,"
    "\"上海 上海市 浦东新区 某路(200120)\"\r\n"
    "=\"32\",amy,等待发货,2026-12-02 10:00:00,20,0,20,王五,,'13900000000,,\"上海 上海市 浦东新区 某路(200120)\"\r\n";

TEST_F(TaobaoCommandsTest, ImportListGoodsAndDelete)
{
    const std::string orders = write("orders.csv", kOrders);
    auto r = cli({"taobao", "import-orders", orders});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "导入订单 2 条：新增 2，更新 0\n");
    r = cli({"taobao", "import-orders", orders});
    EXPECT_EQ(r.out, "导入订单 2 条：新增 0，更新 2\n");

    const std::string items = write("items.csv", "订单编号,标题,价格,购买数量,商品属性\n=\"31\",茶,5,3,\"a,b\"\n");
    r = cli({"taobao", "import-items", items});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "导入宝贝 1 条：新增 1\n");
    EXPECT_EQ(cli({"taobao", "import-items", items}).out, "导入宝贝 1 条：新增 0\n");

    r = cli({"taobao", "list"});
    EXPECT_EQ(r.out,
              "{\"tb_id\":\"2\",\"tb_orderNum\":\"32\",\"tb_status\":\"等待发货\",\"tb_nickName\":\"amy\","
              "\"tb_proCity\":\"上海 上海市\",\"tb_tradetime\":\"2026-12-02 10:00:00\",\"tb_orderprice\":\"20\","
              "\"tb_postfee\":\"0\",\"tb_getmoney\":\"20\",\"tb_addressInfo\":\"王五，13900000000，，上海 上海市 "
              "浦东新区 某路，200120\",\"tb_sNote\":\"\"}\n"
              "{\"tb_id\":\"1\",\"tb_orderNum\":\"31\",\"tb_status\":\"等待发货\",\"tb_nickName\":\"amy\","
              "\"tb_proCity\":\"上海 上海市\",\"tb_tradetime\":\"2026-12-01 10:00:00\",\"tb_orderprice\":\"10\","
              "\"tb_postfee\":\"5\",\"tb_getmoney\":\"15\",\"tb_addressInfo\":\"王五，13900000000，，上海 上海市 "
              "浦东新区 某路，200120\",\"tb_sNote\":\"带\\\"引号\\\"\"}\n");
    // A day alone as a bound covers the whole day.
    EXPECT_EQ(cli({"taobao", "list", "--from", "2026-12-02"}).out.find("\"31\""), std::string::npos);
    EXPECT_NE(cli({"taobao", "list", "--to", "2026-12-01"}).out.find("\"31\""), std::string::npos);
    EXPECT_EQ(cli({"taobao", "list", "--to", "2026-12-01"}).out.find("\"32\""), std::string::npos);
    r = cli({"taobao", "list", "--merge", "--search", "浦东"});
    EXPECT_NE(r.out.find("\"tb_orderNum\":\"32\""), std::string::npos);
    EXPECT_EQ(r.out.find("\"tb_orderNum\":\"31\""), std::string::npos);

    EXPECT_EQ(cli({"taobao", "goods", "31"}).out, "{\"tb_orderNum\":\"31\",\"tb_item\":\"茶\",\"tb_sku\":\"a,b\","
                                                  "\"tb_price\":\"5\",\"tb_num\":\"3\"}\n");
    r = cli({"taobao", "delete", "31"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "已删除订单 31\n");
    EXPECT_EQ(cli({"taobao", "goods", "31"}).out, "");
    EXPECT_EQ(cli({"taobao", "list", "--merge"}).out.find("\"31\""), std::string::npos);
}

// The shapes that once lost orders or imported nothing: a message opening a
// quote it never closes, CR line ends, one CR-ended order among CR LFs.
// Every order is stored or named with its line; the counts add up.
TEST_F(TaobaoCommandsTest, EveryOrderIsStoredOrNamed)
{
    std::string report = "\xEF\xBB\xBF订单编号,买家会员名,收货人姓名,联系手机,收货地址,订单创建时间,买家留言\r\n";
    for (int i = 1; i <= 10; ++i)
        report += "=\"" + std::to_string(i) + "\",amy,王五,'13900000000,上海 上海市 浦东新区 某路," +
                  "2026-12-01 10:00:00," + (i == 4 ? "\"请放门卫" : "好") + "\r\n";
    auto r = cli({"taobao", "import-orders", write("quote.csv", report)});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "导入订单 9 条：新增 9，更新 0，跳过 1\n");
    const std::string list = cli({"taobao", "list"}).out;
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 9);
    EXPECT_NE(list.find("\"tb_orderNum\":\"10\""), std::string::npos);

    std::string crOnly = kOrders;
    std::replace(crOnly.begin(), crOnly.end(), '\n', '\r');
    crOnly.erase(std::unique(crOnly.begin(), crOnly.end(), [](char a, char b) { return a == '\r' && b == '\r'; }),
                 crOnly.end());
    test::TempDir second;
    r = runProgram(ZENTRA_CLI, {"--home", second.file("shop"), "taobao", "import-orders", write("cr.csv", crOnly)});
    EXPECT_EQ(r.out, "导入订单 2 条：新增 2，更新 0\n");

    std::string oneCr = kOrders;
    oneCr.erase(oneCr.find("\r\n=\"32\"") + 1, 1); // the first order ends with CR alone
    test::TempDir third;
    r = runProgram(ZENTRA_CLI, {"--home", third.file("shop"), "taobao", "import-orders", write("one.csv", oneCr)});
    EXPECT_EQ(r.out, "导入订单 2 条：新增 2，更新 0\n");
}

TEST_F(TaobaoCommandsTest, AFileThatIsNotAReportIsRefused)
{
    struct Case {
        std::string bytes;
        const char *out;
    };
    const Case cases[] = {
        {"买家会员名,收货地址\r\namy,上海\r\n", "不是订单报表：没有“订单编号”列\n"},
        {"", "不是订单报表：文件是空的\n"},
        {std::string("\xFF\xFE\x00\xDC,\x00", 6), "不是订单报表：表头文字无法按 UTF-16LE 解码\n"},
    };
    for (const Case &c : cases) {
        const auto r = cli({"taobao", "import-orders", write("not.csv", c.bytes)});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, c.out);
    }
    const auto items = cli({"taobao", "import-items", write("orders.csv", kOrders)});
    EXPECT_EQ(items.exitCode, 1);
    EXPECT_EQ(items.out, "不是宝贝报表：没有“标题”列\n");
    EXPECT_EQ(cli({"taobao", "import-orders", dir.file("missing.csv")}).out, "打开文件失败\n");
}

// Damaged text is named by its order and never stored; the list stays valid
// UTF-8 JSON. NUL characters are dropped.
TEST_F(TaobaoCommandsTest, DamagedTextNeverReachesTheList)
{
    std::string report = kOrders;
    report.replace(report.find("amy"), 3, std::string("a\0my", 4));
    const std::string gbkOrder = utf8ToGbk("=\"33\",bob,等待发货,2026-12-03 10:00:00,1,0,1,赵六,,'1,,广州\r\n");
    auto r = cli({"taobao", "import-orders", write("mixed.csv", report + gbkOrder + "=\"34\",x,\xE5\x9C")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "导入订单 2 条：新增 2，更新 0，跳过 2\n");
    const std::string list = cli({"taobao", "list"}).out;
    EXPECT_TRUE(isValidUtf8(list));
    EXPECT_EQ(list.find('\0'), std::string::npos);
    EXPECT_NE(list.find("\"tb_nickName\":\"amy\""), std::string::npos);
}

TEST_F(TaobaoCommandsTest, OrdersBecomeReceiversGoodsAndPrintListRows)
{
    ASSERT_EQ(cli({"taobao", "import-orders", write("orders.csv", kOrders)}).exitCode, 0);
    ASSERT_EQ(cli({"taobao", "import-items", write("items.csv", "订单编号,标题,价格,购买数量\n=\"31\",茶,5,3\n")}).exitCode,
              0);

    auto r = cli({"taobao", "add-receivers", "31", "32"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "所有客户信息已经添加到收件人列表!\n");
    r = cli({"receiver", "list"});
    EXPECT_NE(r.out.find("\"rname\":\"王五\""), std::string::npos);
    EXPECT_NE(r.out.find("\"rclass\":\"淘宝订单\""), std::string::npos);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1); // one buyer, one address

    r = cli({"taobao", "save-goods", "31"});
    EXPECT_EQ(r.out, "所有宝贝信息已经添加到货品列表!\n");
    EXPECT_NE(cli({"cargo", "list"}).out.find("\"cname\":\"茶\",\"cshort\":\"\",\"cclass\":\"淘宝\""),
              std::string::npos);

    // Both orders go to one receiver: the second is skipped, and said so.
    r = cli({"taobao", "add-print-list", "31", "32"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "1\n已添加 1 个订单到打印列表，跳过 1 个订单：\n订单 32：该收件人已在打印列表中\n");
    EXPECT_EQ(cli({"taobao", "add-print-list", "31"}).out,
              "已添加 0 个订单到打印列表，跳过 1 个订单：\n订单 31：该收件人已在打印列表中\n");

    r = cli({"taobao", "add-print-list", "99"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
}

TEST_F(TaobaoCommandsTest, OrdersWithoutAStreetAreNamedNotAdded)
{
    // With the fixed recognition ("方法二") a short street is not found.
    ASSERT_EQ(cli({"config", "set", "System", "tbRecognizeMethod", "1"}).exitCode, 0);
    const std::string orders =
        "订单编号,买家会员名,订单状态,订单创建时间,买家应付货款,买家应付邮费,总金额,收货人姓名,买家留言,联系手机,"
        "联系电话,收货地址\n"
        "=\"41\",bob,等待发货,2026-12-01 10:00:00,10,0,10,张三,,13800000000,,浙江省 杭州市 西湖区 测试路0号\n";
    ASSERT_EQ(cli({"taobao", "import-orders", write("orders.csv", orders)}).exitCode, 0);
    auto r = cli({"taobao", "add-receivers", "41"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "已添加 0 个客户信息到收件人列表，跳过 1 个订单：\n订单 41：收货地址中没有街道地址\n");
    EXPECT_EQ(cli({"receiver", "list"}).out, "");
    r = cli({"taobao", "add-print-list", "41"});
    EXPECT_EQ(r.out, "已添加 0 个订单到打印列表，跳过 1 个订单：\n订单 41：收货地址中没有街道地址\n");
    EXPECT_EQ(cli({"print-list", "list"}).out, "");
}

TEST_F(TaobaoCommandsTest, AFileThatCannotBeReadIsRefused)
{
    auto r = cli({"taobao", "import-orders", dir.file("missing.csv")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "打开文件失败\n");
    r = cli({"taobao", "import-items", dir.path()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "打开文件失败\n");
    EXPECT_EQ(cli({"taobao", "list", "--bogus"}).exitCode, 2);
}

}
}
