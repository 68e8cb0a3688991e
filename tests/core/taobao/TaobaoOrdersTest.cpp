#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/taobao/TaobaoOrders.h"
#include "core/text/Gbk.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"
#include "support/Utf16.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace zentra {
namespace {

TEST(ReportRules, ColumnsOfAnOrder)
{
    EXPECT_EQ(bareOrderNumber("=\"2718281828\""), "2718281828");
    EXPECT_EQ(bareOrderNumber("123=4\"5"), "12345");

    struct Post {
        const char *text, *address, *post;
    };
    const Post posts[] = {
        {"浙江省 杭州市 西湖区 文三路1号(310000)", "浙江省 杭州市 西湖区 文三路1号", "310000"},
        {"北京 北京市 朝阳区 某路(010000)", "北京 北京市 朝阳区 某路(010000)", ""},
        {"某路(31000)", "某路(31000)", ""},
        {"(100000)", "", "100000"},
        {"某路（310000）", "某路（310000）", ""},
        {"", "", ""},
    };
    for (const Post &p : posts) {
        std::string address, post;
        splitPostCode(p.text, address, post);
        EXPECT_EQ(address, p.address) << p.text;
        EXPECT_EQ(post, p.post) << p.text;
    }

    EXPECT_EQ(regionOfAddress("浙江省 杭州市 西湖区 文三路"), "浙江省 杭州市");
    EXPECT_EQ(regionOfAddress("内蒙古自治区 兴安盟 乌兰浩特 某路"), "内蒙古自治区 兴安盟");
    EXPECT_EQ(regionOfAddress("  新疆 阿勒泰地区"), "  新疆 阿勒泰地区");
    EXPECT_EQ(regionOfAddress("某地"), "某地");

    EXPECT_EQ(compositeAddress("张三", "13800138000", "", "浙江省 杭州市", "310000"),
              "张三，13800138000，，浙江省 杭州市，310000");

    EXPECT_EQ(normalTradeTime("2026-12-01 09:05:07"), "2026-12-01 09:05:07");
    EXPECT_EQ(normalTradeTime("2026/12/1 9:05"), "2026-12-01 09:05:00");
    EXPECT_EQ(normalTradeTime("2026-12-01"), "2026-12-01 00:00:00");
    EXPECT_EQ(normalTradeTime("2026-13-01 09:05"), "2026-13-01 09:05");
    EXPECT_EQ(normalTradeTime("yesterday"), "yesterday");
    EXPECT_EQ(normalTradeTime(""), "");
}

const char *const kOrderHeader = "订单编号,买家会员名,买家支付宝账号,买家应付货款,买家应付邮费,总金额,订单状态,"
                                 "买家留言,收货人姓名,收货地址 ,联系电话 ,联系手机,订单创建时间,修改后的收货地址\r\n";

std::string csvQuoted(std::string_view s)
{
    std::string out = "\"";
    for (char c : s)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string orderLine(const std::string &number, const std::string &status, const std::string &address,
                      const std::string &time, const std::string &message = "")
{
    return "=\"" + number + "\",buyer" + number + ",pay@example.com,30.00,8.00,38.00," + status + "," +
           csvQuoted(message) + ",李四,\"" + address + "\",'0571-88888888,'13800138000," + time + ",\"changed\"\r\n";
}

class TaobaoStoreTest : public test::FolderEngineTest {
protected:
    void SetUp() override
    {
        FolderEngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(db.open(folder.databasePath()));
    }
    std::string write(const std::string &name, const std::string &bytes)
    {
        const std::string path = dir.file(name);
        test::spit(path, bytes);
        return path;
    }
    StoreResult importOrders(const std::string &path)
    {
        std::vector<TbOrder> orders;
        EXPECT_TRUE(readOrderReport(path, orders).ok);
        return storeOrders(db, orders);
    }
    std::vector<TbOrder> all(bool merge = false, const std::string &search = "")
    {
        std::vector<TbOrder> out;
        EXPECT_TRUE(queryOrders(db, {"", "9999", search, merge}, out)) << db.lastError();
        return out;
    }
    DbConnection db;
};

ZENTRA_ON_BOTH_ENGINES(TaobaoStoreTest);

TEST_P(TaobaoStoreTest, AnOrderReportIsStoredWithItsRules)
{
    const std::string report = std::string(kOrderHeader) +
                               orderLine("1001", "等待发货", "浙江省 杭州市 西湖区 文三路1号(310000)",
                                         "2026-12-01 10:00:00", "请发顺丰,谢谢\n\"加急\"") +
                               orderLine("1002", "等待发货", "北京 北京市 朝阳区 某路(010000)", "2026/12/2 8:30");
    const StoreResult r = importOrders(write("orders.csv", report));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.inserted, 2);
    const auto orders = all();
    ASSERT_EQ(orders.size(), 2u);
    // Newest first.
    const TbOrder &second = orders[0], &first = orders[1];
    EXPECT_EQ(second.orderNum, "1002");
    EXPECT_EQ(second.tradeTime, "2026-12-02 08:30:00");
    EXPECT_EQ(second.proCity, "北京 北京市");
    EXPECT_EQ(second.addressInfo, "李四，13800138000，0571-88888888，北京 北京市 朝阳区 某路(010000)，");
    EXPECT_EQ(first.orderNum, "1001");
    EXPECT_EQ(first.nickName, "buyer1001");
    EXPECT_EQ(first.status, "等待发货");
    EXPECT_EQ(first.orderPrice, "30.00");
    EXPECT_EQ(first.postFee, "8.00");
    EXPECT_EQ(first.getMoney, "38.00");
    EXPECT_EQ(first.proCity, "浙江省 杭州市");
    // The address column is "收货地址 ", not the changed address after it.
    EXPECT_EQ(first.addressInfo, "李四，13800138000，0571-88888888，浙江省 杭州市 西湖区 文三路1号，310000");
    EXPECT_EQ(first.sNote, "请发顺丰,谢谢\n\"加急\"");
}

TEST_P(TaobaoStoreTest, ImportingTwiceInsertsOnceAndRefreshesTheStatus)
{
    const std::string a = std::string(kOrderHeader) + orderLine("1", "等待发货", "甲省 乙市 丙区", "2026-12-01 10:00") +
                          orderLine("2", "等待发货", "甲省 乙市 丙区", "2026-12-01 11:00");
    ASSERT_TRUE(importOrders(write("a.csv", a)).ok);
    const std::string b = std::string(kOrderHeader) + orderLine("2", "卖家已发货", "改了 地址", "2027-01-01 10:00") +
                          orderLine("3", "等待发货", "甲省 乙市 丙区", "2026-12-02 10:00");
    const StoreResult r = importOrders(write("b.csv", b));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.stored, 2);
    EXPECT_EQ(r.inserted, 1);
    EXPECT_EQ(r.updated, 1);
    const auto orders = all();
    ASSERT_EQ(orders.size(), 3u);
    const TbOrder &two = orders[1];
    EXPECT_EQ(two.orderNum, "2");
    EXPECT_EQ(two.status, "卖家已发货");
    EXPECT_EQ(two.tradeTime, "2026-12-01 11:00:00"); // only the status changes
    EXPECT_EQ(two.proCity, "甲省 乙市");
}

TEST_P(TaobaoStoreTest, TheThreeEncodingsStoreTheSameRows)
{
    const std::string report = std::string(kOrderHeader) +
                               orderLine("7", "等待发货", "陕西省 西安市 雁塔区 某路(710000)", "2026-12-03 12:00") +
                               orderLine("8", "交易成功", "内蒙古自治区 兴安盟 某旗", "2026-12-04 12:00", "𠀀 emoji 😀");
    const std::string files[] = {
        write("gbk.csv", utf8ToGbk(report)),
        write("utf16.csv", "\xFF\xFE" + test::utf16(report)),
        write("utf8.csv", "\xEF\xBB\xBF" + report),
    };
    std::vector<std::vector<TbOrder>> seen;
    for (const std::string &path : files) {
        std::vector<TbOrder> orders;
        const ReportRead read = readOrderReport(path, orders);
        ASSERT_TRUE(read.ok) << path;
        seen.push_back(orders);
    }
    ASSERT_EQ(seen[0].size(), 2u);
    for (std::size_t k = 1; k < seen.size(); ++k)
        for (std::size_t i = 0; i < seen[0].size(); ++i) {
            EXPECT_EQ(seen[k][i].orderNum, seen[0][i].orderNum);
            EXPECT_EQ(seen[k][i].addressInfo, seen[0][i].addressInfo) << k;
            EXPECT_EQ(seen[k][i].sNote, seen[0][i].sNote) << k;
            EXPECT_EQ(seen[k][i].proCity, seen[0][i].proCity);
        }
    EXPECT_EQ(seen[1][1].sNote, "𠀀 emoji 😀");
}

TEST_P(TaobaoStoreTest, ReportsThatAreOddStillReadSafely)
{
    // A read-only report opens.
    const std::string ro = write("ro.csv", std::string(kOrderHeader) + orderLine("1", "s", "a b", "2026-12-01"));
    ASSERT_EQ(::chmod(ro.c_str(), 0400), 0);
    std::vector<TbOrder> orders;
    EXPECT_TRUE(readOrderReport(ro, orders).ok);
    EXPECT_EQ(orders.size(), 1u);

    // A missing file and a folder cannot be read.
    EXPECT_FALSE(readOrderReport(dir.file("none.csv"), orders).ok);
    EXPECT_FALSE(readOrderReport(dir.path(), orders).ok);

    // A header alone gives nothing.
    orders.clear();
    const ReportRead header = readOrderReport(write("header.csv", kOrderHeader), orders);
    EXPECT_TRUE(header.ok);
    EXPECT_EQ(header.records, 0);
    EXPECT_TRUE(orders.empty());

    // A header without a column leaves it empty; a record without an order
    // number is named with its line.
    const std::string narrow = "订单编号,订单状态,收货地址\n=\"5\",新,甲 乙\n,没有单号,丙 丁\n";
    orders.clear();
    const ReportRead read = readOrderReport(write("narrow.csv", narrow), orders);
    ASSERT_TRUE(read.ok);
    ASSERT_EQ(orders.size(), 1u);
    EXPECT_EQ(read.records, 2);
    ASSERT_EQ(read.skipped.size(), 1u);
    EXPECT_EQ(read.skipped[0].line, 3);
    EXPECT_EQ(read.skipped[0].reason, "没有订单编号");
    EXPECT_EQ(orders[0].nickName, "");
    EXPECT_EQ(orders[0].addressInfo, "，，，甲 乙，");
    const StoreResult r = storeOrders(db, orders);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.stored, 1);
}

TEST_P(TaobaoStoreTest, AFileThatIsNotAReportIsNamedSo)
{
    struct Case {
        const char *name;
        std::string bytes;
        const char *message;
    };
    const Case cases[] = {
        {"empty", "", "不是订单报表：文件是空的"},
        {"blank lines", "\r\n\r\n", "不是订单报表：文件是空的"},
        {"no order number", "买家会员名,收货地址\nbuyer,甲 乙\n", "不是订单报表：没有“订单编号”列"},
        {"an item report", "订单编号,标题,价格\n1,茶,2\n", "不是订单报表：没有“收货地址”列"},
        {"undecodable", "\xFF\xFE" + test::utf16("订单编号,") + std::string("\x00\xDC\n\x00", 4),
         "不是订单报表：表头文字无法按 UTF-16LE 解码"},
        {"a quote never closed", "\"订单编号,收货地址\n1,2\n", "不是订单报表：表头引号不成对"},
    };
    for (const Case &c : cases) {
        std::vector<TbOrder> orders;
        const ReportRead r = readOrderReport(write("x.csv", c.bytes), orders);
        EXPECT_FALSE(r.ok) << c.name;
        EXPECT_EQ(r.failure, ReportRead::Failure::NotReport) << c.name;
        EXPECT_EQ(r.message, c.message) << c.name;
    }
    // The item report needs its titles.
    std::vector<TbItem> items;
    const ReportRead r = readItemReport(write("o.csv", kOrderHeader), items);
    EXPECT_EQ(r.message, "不是宝贝报表：没有“标题”列");
    const ReportRead missing = readItemReport(dir.file("none.csv"), items);
    EXPECT_EQ(missing.failure, ReportRead::Failure::Open);
    EXPECT_EQ(missing.message, "打开文件失败");
}

// Ten orders, the fourth with a message that opens a quote and never closes
// it: the other nine are read, the fourth is named, the counts add up.
TEST_P(TaobaoStoreTest, AStrayQuoteCostsOneOrder)
{
    std::string report = "订单编号,买家会员名,收货人姓名,收货地址,联系手机,订单创建时间,买家留言\r\n";
    for (int i = 1; i <= 10; ++i)
        report += "=\"" + std::to_string(i) + "\",buyer,李四,甲省 乙市 丙区,'13800138000,2026-12-01 10:00," +
                  (i == 4 ? "\"请放门卫" : "留言") + "\r\n";
    for (const std::string &ends : {std::string("\r\n"), std::string("\r"), std::string("\n")}) {
        std::string text = report;
        for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += ends.size())
            text.replace(at, 2, ends);
        std::vector<TbOrder> orders;
        const ReportRead r = readOrderReport(write("quote.csv", "\xEF\xBB\xBF" + text), orders);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.records, 10);
        ASSERT_EQ(orders.size(), 9u);
        EXPECT_EQ(orders[3].orderNum, "5");
        EXPECT_EQ(orders[8].orderNum, "10");
        EXPECT_EQ(orders[8].sNote, "留言");
        ASSERT_EQ(r.skipped.size(), 1u);
        EXPECT_EQ(r.skipped[0].line, 5);
        EXPECT_EQ(r.skipped[0].reason, "引号不成对");
    }
}

// Every encoding a report comes in, with or without its mark, and damage in
// it: the orders read are the same, text never stored is invalid UTF-8, NUL
// characters are dropped.
TEST_P(TaobaoStoreTest, EncodingsAndDamagedTextNeverReachTheTables)
{
    const std::string report = std::string(kOrderHeader) +
                               orderLine("1", "等待发货", "甲省 乙市 丙区", "2026-12-01 10:00", "门卫") +
                               orderLine("2", "等待发货", "丁省 戊市", "2026-12-01 11:00");
    const std::string bad = utf8ToGbk(orderLine("3", "等待发货", "己省 庚市", "2026-12-01 12:00", "放门口"));
    struct Case {
        const char *name;
        std::string bytes;
        std::size_t skipped;
    };
    const Case cases[] = {
        {"UTF-16LE without mark", test::utf16(report), 0},
        {"UTF-16BE with mark", "\xFE\xFF" + test::utf16(report, true), 0},
        {"UTF-16BE without mark", test::utf16(report, true), 0},
        {"a GBK order in UTF-8", "\xEF\xBB\xBF" + report + bad, 1},
        {"a GBK order in UTF-8 without mark", report + bad, 1},
        {"a stray last byte of UTF-16", "\xFF\xFE" + test::utf16(report) + "\x31", 1},
        {"a cut UTF-8 character", report + "\xE9\x97", 1},
    };
    for (const Case &c : cases) {
        std::vector<TbOrder> orders;
        const ReportRead r = readOrderReport(write("e.csv", c.bytes), orders);
        ASSERT_TRUE(r.ok) << c.name;
        ASSERT_EQ(orders.size(), 2u) << c.name;
        EXPECT_EQ(orders[0].sNote, "门卫") << c.name;
        EXPECT_EQ(orders[1].addressInfo, "李四，13800138000，0571-88888888，丁省 戊市，") << c.name;
        EXPECT_EQ(r.skipped.size(), c.skipped) << c.name;
        EXPECT_EQ(r.records, static_cast<int>(2 + c.skipped)) << c.name;
    }

    std::string withNul = report;
    withNul.replace(withNul.find("门卫"), std::string("门卫").size(), std::string("门\0卫", 7));
    withNul.replace(withNul.find("=\"1\""), 4, std::string("=\"1\0\"", 5));
    std::vector<TbOrder> orders;
    ASSERT_TRUE(readOrderReport(write("nul.csv", withNul), orders).ok);
    ASSERT_EQ(orders.size(), 2u);
    EXPECT_EQ(orders[0].orderNum, "1");
    EXPECT_EQ(orders[0].sNote, "门卫");
}

TEST_P(TaobaoStoreTest, ItemsAreStoredOncePerOrderAndTitle)
{
    const std::string header = "订单编号,标题,价格,购买数量,外部系统编号,商品属性\n";
    const std::string a = header + "=\"1\",红茶,12.50,2,,\"颜色:红,尺寸:大\"\n=\"1\",绿茶,8,1,,\n";
    std::vector<TbItem> items;
    ASSERT_TRUE(readItemReport(write("items.csv", a), items).ok);
    StoreResult r = storeItems(db, items);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.inserted, 2);

    const std::string b = header + "=\"1\",红茶,99,9,,改了\n=\"2\",红茶,12.50,1,,\n,无单号,1,1,,\n";
    items.clear();
    ASSERT_TRUE(readItemReport(write("items2.csv", b), items).ok);
    r = storeItems(db, items);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.stored, 2);
    EXPECT_EQ(r.inserted, 1);

    std::vector<TbItem> one;
    ASSERT_TRUE(orderItems(db, "1", one));
    ASSERT_EQ(one.size(), 2u);
    EXPECT_EQ(one[0].item, "红茶");
    EXPECT_EQ(one[0].price, "12.50"); // a known item stays as it was
    EXPECT_EQ(one[0].sku, "颜色:红,尺寸:大");
    EXPECT_EQ(one[0].num, "2");
}

TEST_P(TaobaoStoreTest, QueriesMergeByAddressAndSearchEveryColumn)
{
    std::string report = kOrderHeader;
    report += orderLine("11", "等待发货", "甲省 乙市 丙区 一号", "2026-12-01 10:00");
    report += orderLine("12", "等待发货", "甲省 乙市 丙区 一号", "2026-12-02 10:00");
    report += orderLine("13", "等待发货", "甲省 乙市 丙区 一号", "2026-12-03 10:00");
    report += orderLine("14", "交易成功", "丁省 戊市 某区 二号", "2026-12-04 10:00", "50% off");
    ASSERT_TRUE(importOrders(write("m.csv", report)).ok);

    const auto merged = all(true);
    ASSERT_EQ(merged.size(), 2u);
    EXPECT_EQ(merged[0].orderNum, "14");
    EXPECT_EQ(merged[1].orderNum, "13"); // the newest of the three

    EXPECT_EQ(all(false, "交易").size(), 1u);
    EXPECT_EQ(all(false, "戊市").size(), 1u);
    EXPECT_EQ(all(false, "'; drop table tbList; --").size(), 0u);
    EXPECT_EQ(all().size(), 4u);
    EXPECT_EQ(all(true, "甲省").size(), 1u);

    // Both bounds are exclusive.
    std::vector<TbOrder> period;
    ASSERT_TRUE(queryOrders(db, {"2026-12-02 10:00:00", "2026-12-04 10:00:00", "", false}, period));
    ASSERT_EQ(period.size(), 1u);
    EXPECT_EQ(period[0].orderNum, "13");

    ASSERT_TRUE(deleteOrder(db, "13"));
    const auto after = all(true);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[1].orderNum, "12");
}

}
}
