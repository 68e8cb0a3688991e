#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/masterdata/BookKind.h"
#include "core/masterdata/Freight.h"
#include "core/masterdata/MasterBook.h"
#include "core/taobao/TaobaoActions.h"
#include "core/waybill/WaybillRow.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <cstdlib>
#include <ctime>

namespace zentra {

void PrintTo(const SkippedOrder &s, std::ostream *os)
{
    *os << "{" << s.orderNum << ": " << s.reason << "}";
}

namespace {

TbOrder order(const std::string &number, const std::string &composite, const std::string &note = "")
{
    TbOrder o;
    o.orderNum = number;
    o.nickName = "amy" + number;
    o.tradeTime = "2026-12-01 10:00:00";
    o.orderPrice = "10";
    o.postFee = "5";
    o.getMoney = "15";
    o.addressInfo = composite;
    o.sNote = note;
    return o;
}

const std::string kShanghai = "王五，13900000000，021-5555，上海 上海市 浦东新区 某路1号 3楼，200120";

class TaobaoActionsTest : public test::FolderEngineTest {
protected:
    std::string db() const { return folder.databasePath(); }
    DbRows query(const std::string &sql)
    {
        DbConnection c;
        EXPECT_TRUE(c.open(db()));
        return c.query(sql);
    }
    void exec(const std::string &sql, const DbParams &p = {})
    {
        DbConnection c;
        ASSERT_TRUE(c.open(db()));
        ASSERT_GE(c.execute(sql, p), 0) << c.lastError();
    }
};

ZENTRA_ON_BOTH_ENGINES(TaobaoActionsTest);

TEST_P(TaobaoActionsTest, TheCommaSplitTakesFivePartsAndTheStreetIsEveryWordFromTheFourthOn)
{
    const OrderReceiver r = splitOrderAddress(kShanghai, AddressSplit::Commas);
    EXPECT_EQ(
        r, (OrderReceiver{"王五", "13900000000", "021-5555", "上海", "上海市", "浦东新区", "某路1号 3楼", "200120"}));
    // The building and floor stay with the street, joined by single spaces.
    const std::pair<const char *, const char *> streets[] = {
        {"浙江省 杭州市 西湖区 文三路100号 华星大厦5楼", "文三路100号 华星大厦5楼"},
        {"浙江省 杭州市 西湖区 文三路100号", "文三路100号"},
        {"浙江省  杭州市 西湖区 文三路100号   华星大厦 5楼 ", "文三路100号 华星大厦 5楼"},
        {"浙江省 杭州市 西湖区", ""},
    };
    for (const auto &[address, street] : streets) {
        const OrderReceiver s = splitOrderAddress(std::string("甲，1，，") + address + "，", AddressSplit::Commas);
        EXPECT_EQ(s.address, street) << address;
        EXPECT_EQ(s.city, "杭州市") << address;
    }
    // Missing parts are empty, never out of range.
    EXPECT_EQ(splitOrderAddress("赵六", AddressSplit::Commas), (OrderReceiver{"赵六", "", "", "", "", "", "", ""}));
    // The recognitions read the same composite text.
    const OrderReceiver smart = splitOrderAddress(kShanghai, AddressSplit::Smart);
    EXPECT_EQ(smart.name, "王五");
    EXPECT_EQ(smart.mobile, "13900000000");
    EXPECT_EQ(smart.district, "浦东新区");
    EXPECT_EQ(addressSplitOf(2), AddressSplit::Smart);
    EXPECT_EQ(addressSplitOf(7), AddressSplit::Commas);
}

TEST_P(TaobaoActionsTest, ReceiversAreAddedOnceAndRefreshedAfterwards)
{
    std::vector<TbOrder> orders{order("1", kShanghai, "留言'%_"), order("2", "无名，，，，")};
    OrderBatchResult r = addOrderReceivers(db(), orders, AddressSplit::Commas, "淘宝订单");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.inserted, 1);
    EXPECT_EQ(r.skipped, 1); // no mobile, no address
    EXPECT_EQ(r.skippedOrders, (std::vector<SkippedOrder>{{"2", kNoReceiverMobile}}));
    // The batch's class can be chosen in the receiver book.
    EXPECT_EQ(MasterBook(db(), receiverBook()).classes(), (std::vector<std::string>{kAllClasses, "淘宝订单"}));
    orders[0].sNote = "新留言";
    r = addOrderReceivers(db(), {orders[0]}, AddressSplit::Commas, "");
    EXPECT_EQ(r.updated, 1);
    DbRows rows = query("select * from receiver");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text("rnote"), "新留言");
    EXPECT_EQ(rows[0].text("rww"), "amy1");
    EXPECT_EQ(rows[0].text("rclass"), "淘宝订单"); // the single save keeps the class
    EXPECT_EQ(rows[0].text("rnamePY"), "ww");
}

TEST_P(TaobaoActionsTest, GoodsAreSavedOnceWithTheirPriceAndKnownGoodsStay)
{
    ASSERT_TRUE(MasterBook(db(), cargoBook())
                    .save({{"cname", "旧茶"}, {"cshort", "旧"}, {"cpriceOut", "9"}}, MasterBook::Mode::Add)
                    .ok());
    const std::vector<TbItem> items{
        {"1", "新茶", "", "12.5", "2"}, {"1", "旧茶", "", "1", "1"}, {"2", "新茶", "", "99", "1"}};
    const OrderBatchResult r = saveOrderGoods(db(), items);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.inserted, 1);
    DbRows rows = query("select cname, cclass, cpriceOut from cargo order by cargoID");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].text("cpriceOut"), "9");
    EXPECT_EQ(rows[1].text("cname"), "新茶");
    EXPECT_EQ(rows[1].text("cclass"), "淘宝");
    EXPECT_EQ(rows[1].text("cpriceOut"), "12.5");
    EXPECT_EQ(MasterBook(db(), cargoBook()).classes(), (std::vector<std::string>{kAllClasses, "淘宝"}));
}

TEST_P(TaobaoActionsTest, ThePrintListTransferPricesEachOrderForItsOwnProvince)
{
    // Goods: tea 1.2 kg at 30, cup 0.5 kg at 80. Shanghai 10 + 5 per further
    // kg, free from 100; Zhejiang 8 + 2, free from 50.
    MasterBook goods(db(), cargoBook());
    ASSERT_TRUE(
        goods.save({{"cname", "茶"}, {"cshort", "C"}, {"cweight", "1.2"}, {"cpriceOut", "30"}}, MasterBook::Mode::Add)
            .ok());
    ASSERT_TRUE(
        goods.save({{"cname", "杯"}, {"cshort", "B"}, {"cweight", "0.5"}, {"cpriceOut", "80"}}, MasterBook::Mode::Add)
            .ok());
    FreightRates rates(db());
    ASSERT_FALSE(rates.rowsFor("圆通").empty());
    ASSERT_EQ(rates.setRate("圆通", "上海市", "10", "5", "100"), 1);
    ASSERT_EQ(rates.setRate("圆通", "浙江省", "8", "2", "50"), 1);
    exec("insert into tbGoods(tb_orderNum, tb_item, tb_sku, tb_price, tb_num) values "
         "('1','茶','','30','1'), ('1','茶','x','30','1'), ('1','不是货品','','1','1'), ('2','杯','','80','1')");
    exec("insert into sender(sname, smobile, saddress, sself4) values('店主', '137', '店址', '签名')");

    OrderTransfer t;
    t.templateName = "圆通";
    t.senderId = 1;
    t.protectMoney = 500;
    t.computeFigures = true;
    t.printTime = "2026-12-07 09:00:00";
    const std::vector<TbOrder> orders{order("1", kShanghai),
                                      order("2", "李四，13800000000，，浙江省 杭州市 西湖区 文三路，"),
                                      order("3", kShanghai)}; // the same receiver again
    const OrderBatchResult r = addOrdersToPrintList(db(), orders, t);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.printIds.size(), 2u);
    EXPECT_EQ(r.skipped, 1);

    DbRows rows = query("select * from printList order by printId");
    ASSERT_EQ(rows.size(), 2u);
    const DbRow &sh = rows[0];
    EXPECT_EQ(sh.text("cargoName"), "茶,2;");
    EXPECT_EQ(sh.text("cargoShort"), "C,2;");
    EXPECT_EQ(sh.text("cargoNum"), "2");
    EXPECT_EQ(sh.text("cargoWeight"), "2.4");
    EXPECT_EQ(sh.text("orderprice"), "60");
    EXPECT_EQ(sh.text("postfee"), "20"); // 3 kg: 10 + 2 * 5
    EXPECT_EQ(sh.text("getmoney"), "80");
    EXPECT_EQ(sh.text("protectMoney"), "500");
    EXPECT_EQ(sh.text("rname"), "王五");
    EXPECT_EQ(sh.text("rphone"), "021-5555");
    EXPECT_EQ(sh.text("rpost"), "200120");
    EXPECT_EQ(sh.text("rww"), "amy1");
    EXPECT_EQ(sh.text("sname"), "店主");
    EXPECT_EQ(sh.text("sself4"), "签名");
    EXPECT_EQ(sh.text("templateName"), "圆通");
    EXPECT_EQ(sh.text("tradeTime"), "2026-12-01 10:00:00");
    EXPECT_EQ(sh.text("printTime"), "2026-12-07 09:00:00");
    EXPECT_EQ(sh.text("expressNo"), "");
    // Zhejiang: goods total 80 reaches its free amount of 50.
    EXPECT_EQ(rows[1].text("postfee"), "0");
    EXPECT_EQ(rows[1].text("getmoney"), "80");

    EXPECT_EQ(r.skippedOrders, (std::vector<SkippedOrder>{{"3", kAlreadyInPrintList}}));

    // A second transfer of the same orders adds nothing.
    const OrderBatchResult again = addOrdersToPrintList(db(), orders, t);
    EXPECT_TRUE(again.printIds.empty());
    EXPECT_EQ(again.skipped, 3);
}

TEST_P(TaobaoActionsTest, TaobaoUpdatesStampTheReceiverWithTheTimeOfTheTransfer)
{
    ASSERT_TRUE(addOrderReceivers(db(), {order("1", kShanghai)}, AddressSplit::Commas, "淘宝订单").ok);
    exec("update receiver set rdate='2020-01-02 03:04:05'");
    // The batch ("添加到收件人") and the single save ("保存收件人信息") alike.
    for (const char *className : {"淘宝订单", ""}) {
        const OrderBatchResult r =
            addOrderReceivers(db(), {order("1", kShanghai, "再来")}, AddressSplit::Commas, className);
        ASSERT_EQ(r.updated, 1) << className;
        const std::string date = query("select rdate from receiver")[0].text("rdate");
        EXPECT_NE(date, "2020-01-02 03:04:05") << className;
        EXPECT_EQ(date.size(), 19u);
        exec("update receiver set rdate='2020-01-02 03:04:05'");
    }
    // An edit in the receiver book keeps the date of entry.
    MasterBook book(db(), receiverBook());
    BookEntry e = entryOf(receiverBook(), query("select * from receiver")[0]);
    e["rnote"] = "改过";
    ASSERT_TRUE(book.save(e, MasterBook::Mode::Edit).ok());
    EXPECT_EQ(query("select rdate from receiver")[0].text("rdate"), "2020-01-02 03:04:05");
}

TEST_P(TaobaoActionsTest, OrdersWithoutAStreetAreNeitherReceiversNorWaybillsAndTheUserHearsWhy)
{
    // The fixed recognition finds no street in a short one; the comma split
    // finds none in an address of three words.
    const TbOrder shortStreet = order("7", "张三，13800000000，，浙江省 杭州市 西湖区 测试路0号，");
    const TbOrder noStreet = order("8", "李四，13900000000，，浙江省 杭州市 西湖区，");
    ASSERT_TRUE(splitOrderAddress(shortStreet.addressInfo, AddressSplit::Standard).address.empty());

    const TbOrder longStreet =
        order("9", "李四，13800000001，，浙江省 杭州市 西湖区 文三路一百零八号华星科技大厦五楼，");
    OrderBatchResult r = addOrderReceivers(db(), {shortStreet, longStreet}, AddressSplit::Standard, "淘宝订单");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.skippedOrders, (std::vector<SkippedOrder>{{"7", kNoStreetAddress}}));
    EXPECT_EQ(receiversAddedMessage(r),
              "已添加 1 个客户信息到收件人列表，跳过 1 个订单：\n订单 7：收货地址中没有街道地址");
    r = addOrderReceivers(db(), {noStreet}, AddressSplit::Commas, "");
    EXPECT_EQ(r.inserted + r.updated, 0);
    EXPECT_EQ(r.skippedOrders, (std::vector<SkippedOrder>{{"8", kNoStreetAddress}}));

    OrderTransfer t;
    t.templateName = "圆通";
    t.method = AddressSplit::Standard;
    r = addOrdersToPrintList(db(), {shortStreet}, t);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.printIds.empty());
    EXPECT_EQ(printListAddedMessage(r), "已添加 0 个订单到打印列表，跳过 1 个订单：\n订单 7：收货地址中没有街道地址");
    t.method = AddressSplit::Commas;
    r = addOrdersToPrintList(db(), {noStreet, order("1", kShanghai)}, t);
    EXPECT_EQ(r.printIds.size(), 1u);
    EXPECT_EQ(r.skippedOrders, (std::vector<SkippedOrder>{{"8", kNoStreetAddress}}));
    EXPECT_EQ(query("select count(*) as n from printList where raddress=''")[0].text("n"), "0");

    // Nothing passed over: the plain messages; many: the first ones named.
    EXPECT_EQ(receiversAddedMessage(OrderBatchResult{}), "所有客户信息已经添加到收件人列表!");
    EXPECT_EQ(printListAddedMessage(OrderBatchResult{}), "订单信息已经添加到打印列表!");
    OrderBatchResult many;
    for (int i = 0; i < 25; ++i)
        many.skippedOrders.push_back({std::to_string(i), kNoStreetAddress});
    const std::string lines = skippedOrderLines(many.skippedOrders);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 20);
    EXPECT_TRUE(lines.ends_with("……另有 5 个订单"));
}

TEST_P(TaobaoActionsTest, TheOrdersOwnFiguresStayUnlessComputedAndAFailureAddsNothing)
{
    OrderTransfer t;
    t.templateName = "圆通";
    OrderBatchResult r = addOrdersToPrintList(db(), {order("1", kShanghai)}, t);
    ASSERT_TRUE(r.ok) << r.error;
    DbRows rows = query("select orderprice, postfee, getmoney, sname, tradeTime from printList");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text("orderprice"), "10");
    EXPECT_EQ(rows[0].text("postfee"), "5");
    EXPECT_EQ(rows[0].text("getmoney"), "15");
    EXPECT_EQ(rows[0].text("sname"), "");

    // The second order cannot be stored: the first of the batch is undone too.
    {
        DbConnection c;
        ASSERT_TRUE(c.open(db()));
        ASSERT_TRUE(test::refuseWhen(c, "printList", "insert", "NEW.orderNo = 'bad'")) << c.lastError();
    }
    r = addOrdersToPrintList(db(), {order("2", "甲，1，，a b c d，"), order("bad", "乙，2，，a b c e，")}, t);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("refused"), std::string::npos);
    EXPECT_TRUE(r.printIds.empty());
    EXPECT_EQ(query("select count(*) as n from printList")[0].text("n"), "1");
}

TEST(OrderRanges, RunFromMidnightOfTheirFirstDayToNow)
{
    setenv("TZ", "Asia/Shanghai", 1);
    tzset();
    std::tm tm{};
    tm.tm_year = 2026 - 1900;
    tm.tm_mon = 2; // 2026-03-02 10:15:30, just after a month turned
    tm.tm_mday = 2;
    tm.tm_hour = 10;
    tm.tm_min = 15;
    tm.tm_sec = 30;
    const std::time_t now = std::mktime(&tm);
    const std::string end = "2026-03-02 10:15:30";
    using Bounds = std::pair<std::string, std::string>;
    EXPECT_EQ(orderRangeBounds(0, now), (Bounds{"2026-03-02 00:00:00", end}));
    EXPECT_EQ(orderRangeBounds(1, now), (Bounds{"2026-03-01 00:00:00", end}));
    EXPECT_EQ(orderRangeBounds(2, now), (Bounds{"2026-02-28 00:00:00", end}));
    EXPECT_EQ(orderRangeBounds(3, now), (Bounds{"2026-02-23 00:00:00", end}));
    EXPECT_EQ(orderRangeBounds(4, now), (Bounds{"2026-01-31 00:00:00", end}));
    EXPECT_EQ(orderRangeBounds(5, now), (Bounds{"2026-03-01 00:00:00", end}));
    EXPECT_EQ(orderRangeBounds(6, now), std::nullopt);
    EXPECT_EQ(orderRanges().size(), 7u);
}

}
}
