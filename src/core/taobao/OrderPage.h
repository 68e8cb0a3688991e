#pragma once

#include "core/taobao/TaobaoOrders.h"

#include <string>
#include <string_view>
#include <vector>

namespace zentra {

class ConfigFile;

// Where the marketplace's pages are, kept in config.ini (section "Taobao") so
// that a change of its pages needs no new program. A missing key takes the
// default.
struct OrderPageSettings {
    std::string loginPage = "https://login.taobao.com/member/login.jhtml";
    std::string addressHost = "trade.taobao.com";
    std::string addressPath = "/trade/json/order_address_info.htm";
    std::vector<std::string> detailMarkers{"trade_item_detail.htm?spm=", "bizOrderId="};

    static OrderPageSettings read(const ConfigFile &config);
};

enum class OrderPageKind { Other, Detail, AddressReply };

// What a loaded location is: an order's detail page (every marker in it), the
// address service's reply (its host followed by its path), or anything else.
OrderPageKind classifyOrderPage(std::string_view location, const OrderPageSettings &settings);

// The texts a detail page gives, as the page script collects them: the spans
// by class, the item rows' cells, the price cells and the outer HTML of the
// buyer's address block.
struct OrderPageTexts {
    std::string status, nickName, city, orderNum, tradeTime;
    struct Item {
        std::string title, sku, price, num;
    };
    std::vector<Item> items;
    std::string orderPrice; // the "order-price" cell: "12.00(快递 : 5.00 )"
    std::string getMoney;   // the "get-money" cell: "实收款：17.00元"
    std::string addressBlock; // outer HTML of "J_BlockBuyerAddress"; empty without it
};

// Reads the page script's JSON answer; false when it is not the expected
// object.
bool parseOrderPageTexts(std::string_view json, OrderPageTexts &out);

// The order and its items read from a detail page, and the address request
// to make (empty when the page has no address block).
struct PageOrder {
    TbOrder order;
    std::vector<TbItem> items;
    std::string addressUrl;
};
PageOrder orderFromPage(const OrderPageTexts &page);

// The address service's reply, a JSON object possibly in parentheses with
// an object "address" of name, mobilephone, phone, addr and post.
struct AddressReply {
    bool busy = true;        // empty, unreadable, or the service says "系统繁忙": ask again
    std::string composite;   // name，mobile，phone，address，post
};
AddressReply parseAddressReply(std::string_view text);

// The script run in a detail page: returns OrderPageTexts as JSON text.
const char *orderPageScript();

}
