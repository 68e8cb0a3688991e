#include "core/config/ConfigFile.h"
#include "core/taobao/OrderPage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace zentra {
namespace {

TEST(OrderPage, LocationsAreToldApartByTheirMarkers)
{
    const OrderPageSettings s;
    EXPECT_EQ(classifyOrderPage("https://trade.taobao.com/trade/detail/trade_item_detail.htm?spm=a1&bizOrderId=7", s),
              OrderPageKind::Detail);
    EXPECT_EQ(classifyOrderPage("https://trade.taobao.com/trade/detail/trade_item_detail.htm?bizOrderId=7", s),
              OrderPageKind::Other); // one marker is not enough
    EXPECT_EQ(classifyOrderPage("https://trade.taobao.com/trade/json/order_address_info.htm?id=7", s),
              OrderPageKind::AddressReply);
    EXPECT_EQ(classifyOrderPage("https://other.example/trade/json/order_address_info.htm", s), OrderPageKind::Other);
}

TEST(OrderPage, SettingsComeFromTheConfigurationWithDefaults)
{
    test::TempDir dir;
    ConfigFile config(dir.file("config.ini"));
    EXPECT_EQ(OrderPageSettings::read(config).addressHost, "trade.taobao.com");
    ASSERT_TRUE(config.writeText("Taobao", "addressHost", "127.0.0.1:8080"));
    ASSERT_TRUE(config.writeText("Taobao", "detailMarkers", "detail.html|order="));
    const OrderPageSettings s = OrderPageSettings::read(config);
    EXPECT_EQ(s.addressHost, "127.0.0.1:8080");
    EXPECT_EQ(s.detailMarkers, (std::vector<std::string>{"detail.html", "order="}));
    EXPECT_EQ(s.addressPath, "/trade/json/order_address_info.htm");
    EXPECT_EQ(classifyOrderPage("http://127.0.0.1:8080/detail.html?order=5", s), OrderPageKind::Detail);
}

TEST(OrderPage, ADetailPageGivesTheOrderItsItemsAndTheAddressRequest)
{
    OrderPageTexts texts;
    const std::string json =
        R"j({"wait":" 卖家已发货 ","nickname":"amy","city":"浙江省 杭州市","orderNum":"5566","tradeTime":"2026-12-01 9:05:00",)j"
        R"j("items":[{"item":"茶","sku":"颜色:红","price":"6.00","num":"2"},{"item":"杯","price":"5.00","num":"1"}],)j"
        R"j("orderPrice":"17.00(快递 : 8.00 )","getMoney":"实收款：25.00元",)j"
        R"j("addressBlock":"<span id=\"J_BlockBuyerAddress\" data-url=\"http://h/trade/json/order_address_info.htm?a=1&amp;b=2\"></span>"})j";
    ASSERT_TRUE(parseOrderPageTexts(json, texts));
    const PageOrder p = orderFromPage(texts);
    EXPECT_EQ(p.order.status, "卖家已发货");
    EXPECT_EQ(p.order.orderNum, "5566");
    EXPECT_EQ(p.order.tradeTime, "2026-12-01 09:05:00");
    EXPECT_EQ(p.order.orderPrice, "17.00");
    EXPECT_EQ(p.order.postFee, "8.00");
    EXPECT_EQ(p.order.getMoney, "25.00");
    ASSERT_EQ(p.items.size(), 2u);
    EXPECT_EQ(p.items[0].orderNum, "5566");
    EXPECT_EQ(p.items[0].sku, "颜色:红");
    EXPECT_EQ(p.items[1].sku, "");
    EXPECT_EQ(p.addressUrl, "http://h/trade/json/order_address_info.htm?a=1&b=2");

    // A page without the elements gives empty fields and no request.
    ASSERT_TRUE(parseOrderPageTexts(R"({"items":[]})", texts));
    EXPECT_EQ(orderFromPage(texts).addressUrl, "");
    EXPECT_FALSE(parseOrderPageTexts("not json", texts));
}

TEST(OrderPage, AddressRepliesInParenthesesReadLikeBareOnesAndBusyOnesAskAgain)
{
    const std::string bare =
        R"j({"address":{"name":"王五","mobilephone":"13900000000","phone":"","addr":"上海 上海市 浦东新区 某路","post":"200120"}})j";
    const AddressReply a = parseAddressReply(bare);
    EXPECT_FALSE(a.busy);
    EXPECT_EQ(a.composite, "王五，13900000000，，上海 上海市 浦东新区 某路，200120");
    EXPECT_EQ(parseAddressReply("(" + bare + ")\n").composite, a.composite);
    EXPECT_TRUE(parseAddressReply("").busy);
    EXPECT_TRUE(parseAddressReply("系统繁忙，请稍后再试").busy);
    EXPECT_TRUE(parseAddressReply(R"({"address":{}})").busy);
    EXPECT_TRUE(parseAddressReply("({oops)").busy);
}

}
}
