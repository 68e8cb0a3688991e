#include "core/templates/FieldCatalogue.h"
#include "core/waybill/WaybillDraft.h"
#include "core/waybill/WaybillFields.h"

#include <gtest/gtest.h>

using namespace zentra;

namespace {

WaybillDraft fullDraft()
{
    WaybillDraft d;
    d.setAllPresent();
    return d;
}

std::vector<GoodsUnit> goods(std::initializer_list<GoodsUnit> units)
{
    return std::vector<GoodsUnit>(units);
}

}

TEST(WaybillDraft, AdvancesNumbersOfAnyLength)
{
    const struct {
        const char *in, *out;
    } cases[] = {
        {"", ""},
        {"0099", "100"},
        {"100", "101"},
        {"0", "1"},
        {"000", "1"},
        {"999", "1000"},
        {"123456789012345", "123456789012346"},
        {"999999999999999", "1000000000000000"},
        {"98765432109876543210", "98765432109876543211"},
        {"12a", "1"},
        {"-5", "1"},
        {" 7", "1"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(advanceNumber(c.in), c.out) << c.in;
}

TEST(WaybillDraft, FreightAndReceivedMoneyFollowThePostageRule)
{
    const FreightRate rate{10, 6, 100};
    // 2.3 rounds up to 3 units: (3 - 1) * 6 + 10 = 22, plus the goods total 50.
    WaybillDraft d = fullDraft();
    d.fillGoods(summarizeGoods(goods({{"A", "a", 1.1, 20}, {"A", "a", 1.2, 30}})), rate);
    EXPECT_EQ(d.text(field::GoodsWeight), "2.3");
    EXPECT_EQ(d.text(field::GoodsTotal), "50");
    EXPECT_EQ(d.text(field::Freight), "22.00");
    EXPECT_EQ(d.text(field::AmountReceived), "72.00");
    EXPECT_EQ(d.text(field::GoodsCount), "2");
    EXPECT_EQ(d.text(field::GoodsName), "A,2;");
    EXPECT_EQ(d.text(field::GoodsShortName), "a,2;");

    // A goods total at the free-freight amount ships free.
    d.fillGoods(summarizeGoods(goods({{"B", "b", 2.3, 100}})), rate);
    EXPECT_EQ(d.text(field::Freight), "0");
    EXPECT_EQ(d.text(field::AmountReceived), "100.00");

    // No rate row (all zero): free.
    d.fillGoods(summarizeGoods(goods({{"B", "b", 2.3, 50}})), FreightRate{});
    EXPECT_EQ(d.text(field::Freight), "0");

    // No goods: zeros and empty names.
    d.fillGoods(summarizeGoods({}), rate);
    for (int i : {field::GoodsCount, field::GoodsWeight, field::GoodsTotal, field::Freight, field::AmountReceived})
        EXPECT_EQ(d.text(i), "0") << i;
    EXPECT_EQ(d.text(field::GoodsName), "");
    EXPECT_EQ(d.text(field::GoodsShortName), "");
}

TEST(WaybillDraft, WeightCountsOnlyWhenTheTemplateShowsIt)
{
    std::array<bool, 60> present{};
    for (int i : {field::GoodsTotal, field::Freight, field::AmountReceived, field::GoodsName})
        present[static_cast<std::size_t>(i)] = true;
    WaybillDraft d;
    d.setPresent(present);
    d.fillGoods(summarizeGoods(goods({{"A", "a", 2.3, 50}})), FreightRate{10, 6, 100});
    EXPECT_EQ(d.text(field::Freight), "0");
    EXPECT_EQ(d.text(field::AmountReceived), "50.00");
    // Slots without an item stay empty.
    EXPECT_EQ(d.text(field::GoodsWeight), "");
    EXPECT_EQ(d.text(field::GoodsShortName), "");
}

TEST(WaybillDraft, GroupsGoodsNamesInOrderOfFirstPick)
{
    const GoodsSummary s = summarizeGoods(goods({{"A", "x", 0, 1}, {"B", "y", 0, 2}, {"A", "x", 0, 3}}));
    EXPECT_EQ(s.names, "A,2;B,1;");
    EXPECT_EQ(s.shortNames, "x,2;y,1;");
    EXPECT_EQ(s.count, 3);
    EXPECT_DOUBLE_EQ(s.total, 6);
}

TEST(WaybillDraft, FillsReceiverAndSenderWithJoinedPlaces)
{
    WaybillDraft d = fullDraft();
    d.fillReceiver({{"rname", "张三"},
                    {"rprovince", "浙江省"},
                    {"rcity", "杭州市"},
                    {"raddress", "文一路1号"},
                    {"rpost", "310000"},
                    {"rself4", "r4"}});
    d.fillSender({{"sname", "李四"}, {"sprovince", "上海"}, {"scity", "上海市"}, {"sself4", "签名"}});
    EXPECT_EQ(d.text(field::ReceiverDestination), "浙江省杭州市");
    EXPECT_EQ(d.text(field::ReceiverAddress), "文一路1号");
    EXPECT_EQ(d.text(field::ReceiverPostCode), "310000");
    EXPECT_EQ(d.text(field::ReceiverCustom4), "r4");
    EXPECT_EQ(d.text(field::SenderOrigin), "上海上海市");
    EXPECT_EQ(d.text(field::SenderSignature), "签名");

    const WaybillRow row = d.printListRow("圆通");
    EXPECT_EQ(row.cell(WaybillRow::ReceiverName), "张三");
    EXPECT_EQ(row.cell(24), "文一路1号"); // raddress
    EXPECT_EQ(row.cell(23), "310000");    // rpost
    EXPECT_EQ(row.cell(WaybillRow::SenderSignature), "签名");
    EXPECT_EQ(row.cell(WaybillRow::TemplateName), "圆通");
}

TEST(WaybillDraft, StoredRowsCarryThePartiesWhateverTheTemplateShows)
{
    // A template with the destination and the names, but no province, city
    // or mobile items: the row still carries them, for a batch page whose
    // destination joins province and city.
    WaybillDraft d;
    std::array<bool, 60> present{};
    for (int i : {field::ReceiverName, field::ReceiverDestination, field::SenderName})
        present[static_cast<std::size_t>(i)] = true;
    d.setPresent(present);
    d.fillReceiver({{"rname", "张三"}, {"rprovince", "浙江省"}, {"rcity", "杭州市"}, {"rmobile", "13900000000"}});
    d.fillSender({{"sname", "李四"}, {"sprovince", "上海"}, {"scity", "上海市"}, {"sself4", "签名"}});
    EXPECT_EQ(d.text(field::ReceiverDestination), "浙江省杭州市");
    EXPECT_EQ(d.text(field::ReceiverProvince), ""); // no item: nothing shown

    // What the user typed into an item wins over the chosen party's value.
    d.setText(field::ReceiverName, "张三先生");
    WaybillRow row = d.printListRow("t");
    EXPECT_EQ(row.cell(WaybillRow::ReceiverName), "张三先生");
    EXPECT_EQ(row.cell(20), "浙江省"); // rprovince
    EXPECT_EQ(row.cell(21), "杭州市"); // rcity
    EXPECT_EQ(row.cell(WaybillRow::ReceiverMobile), "13900000000");
    EXPECT_EQ(row.cell(35), "上海");   // sprovince
    EXPECT_EQ(row.cell(WaybillRow::SenderSignature), "签名");
    // The batch page of that row shows the destination the canvas showed.
    EXPECT_EQ(fieldTextsForRow(row)[field::ReceiverDestination], d.text(field::ReceiverDestination));
    EXPECT_EQ(d.historyRow("t", "2030-01-01 00:00:00").cell(21), "杭州市");

    // A new waybill, or the default texts, keep no party.
    OrderLocks locks;
    d.reset(locks, "", "");
    EXPECT_EQ(d.printListRow("t").cell(20), "");
    d.fillReceiver({{"rname", "王五"}, {"rprovince", "江苏省"}});
    d.defaultTexts(locks, "", "");
    EXPECT_EQ(d.printListRow("t").cell(20), "");
    EXPECT_EQ(d.printListRow("t").cell(WaybillRow::ReceiverName), "收件人姓名");

    // A stored row opened again brings its parties.
    WaybillRow stored;
    stored.cell(20) = "新疆";
    stored.cell(21) = "乌鲁木齐市";
    stored.cell(35) = "北京"; // sprovince
    d.takeParties(stored);
    EXPECT_EQ(d.partyValue(field::ReceiverDestination), "新疆乌鲁木齐市");
    EXPECT_EQ(d.printListRow("t").cell(21), "乌鲁木齐市");
    EXPECT_EQ(d.printListRow("t").cell(35), "北京");
    EXPECT_EQ(d.partyValue(field::OrderNumber), "");
}

TEST(WaybillDraft, InsuredAmountBoxes)
{
    WaybillDraft d = fullDraft();
    d.setInsuredAmount("1005");
    EXPECT_EQ(d.text(field::InsuredAmount), "壹仟零伍元");
    EXPECT_EQ(d.text(field::InsuredThousands), "壹");
    EXPECT_EQ(d.text(field::InsuredOnes), "伍");
    EXPECT_EQ(d.text(field::InsuredTenThousands), "╳");
    for (const char *amount : {"0", ""}) {
        d.setInsuredAmount(amount);
        EXPECT_EQ(d.text(field::InsuredAmount), "");
        for (int i = field::InsuredTenThousands; i <= field::InsuredOnes; ++i)
            EXPECT_EQ(d.text(i), "╳") << amount << " " << i;
    }
}

TEST(WaybillDraft, ResetKeepsOnlyLockedValuesAndThePrintTime)
{
    WaybillDraft d = fullDraft();
    d.fillReceiver({{"rname", "张三"}});
    d.setTradeTime("2024-05-06 07:08:09");
    d.setPrintTime("2024-05-06 07:08:09");
    d.setInsuredAmount("1005");
    OrderLocks locks;
    locks.autoOrderNum = true;
    d.reset(locks, "100", "555");
    EXPECT_EQ(d.text(field::ReceiverName), "");
    EXPECT_EQ(d.text(field::OrderNumber), "100");
    EXPECT_EQ(d.text(field::ExpressNumber), "");
    EXPECT_EQ(d.text(field::DealTime), "2024-05-06 07:08:09");
    EXPECT_EQ(d.text(field::InsuredAmount), "");
    EXPECT_EQ(d.text(field::PrintHour), "07");

    locks.protectMoneyLock = true;
    d.reset(locks, "100", "555");
    EXPECT_EQ(d.text(field::InsuredAmount), "壹仟零伍元");

    d.defaultTexts(locks, "100", "555");
    EXPECT_EQ(d.text(field::ReceiverName), "收件人姓名");
    EXPECT_EQ(d.text(field::OrderNumber), "100");
    EXPECT_EQ(d.text(field::ExpressNumber), "快递号");
    EXPECT_EQ(d.text(field::DealTime), "成交时间");
    EXPECT_EQ(d.text(field::InsuredThousands), "壹");
    EXPECT_EQ(d.text(field::PrintYear), "年");
}

TEST(WaybillDraft, StoredRowsTakeTheOrderValues)
{
    WaybillDraft d = fullDraft();
    d.setTradeTime("2024-05-06 07:08:09");
    d.setPrintTime("2024-05-06 07:08:09");
    d.setInsuredAmount("1005");
    WaybillRow list = d.printListRow("t");
    EXPECT_EQ(list.cell(WaybillRow::ProtectMoney), "1005"); // not the capitals
    EXPECT_EQ(list.cell(WaybillRow::PrintTime), "2024-05-06 07:08:09");

    // The history takes the print time from the date items, at the full hour.
    d.setText(field::PrintDay, "09");
    WaybillRow history = d.historyRow("t", "2030-01-01 00:00:00");
    EXPECT_EQ(history.cell(WaybillRow::PrintTime), "2024-05-09 07:00:00");
    EXPECT_EQ(history.cell(WaybillRow::TradeTime), "2024-05-06 07:08:09");
    d.setText(field::PrintMonth, "月");
    d.setText(field::DealTime, "成交时间");
    history = d.historyRow("t", "2030-01-01 00:00:00");
    EXPECT_EQ(history.cell(WaybillRow::PrintTime), "2030-01-01 00:00:00");
    EXPECT_EQ(history.cell(WaybillRow::TradeTime), "2030-01-01 00:00:00");
}
