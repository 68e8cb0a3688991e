#pragma once

#include "core/taobao/TaobaoOrders.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentra {

class RegionIndex;

// The receiver of an order, taken from its composite address.
struct OrderReceiver {
    std::string name, mobile, phone, province, city, district, address, post;
    bool operator==(const OrderReceiver &) const = default;
};

// How a composite address is split (the Taobao setting tbRecognizeMethod).
enum class AddressSplit {
    Commas = 0,   // name，mobile，phone，address，post; the address words are province, city, district, and
                  // the street: the fourth word and every word after it, joined by single spaces
    Standard = 1, // the address recognition's fixed patterns
    Smart = 2,    // our own recognition over the region tables
};
AddressSplit addressSplitOf(int tbRecognizeMethod);

// `regions` serves the smart split; without it the built-in regions are used.
OrderReceiver splitOrderAddress(std::string_view composite, AddressSplit method, const RegionIndex *regions = nullptr);

// An order a batch operation passed over, and why (a text for the user).
struct SkippedOrder {
    std::string orderNum;
    std::string reason;
    bool operator==(const SkippedOrder &) const = default;
};

// What one of the order list's batch operations did.
struct OrderBatchResult {
    bool ok = true;
    std::string error;      // the engine's message when !ok; nothing was written then
    int inserted = 0;
    int updated = 0;
    int skipped = 0;                         // items or orders passed over
    std::vector<SkippedOrder> skippedOrders; // the orders passed over, in order, with the reason
    std::vector<std::int64_t> printIds; // the print-list rows made, in order
};

// The reasons an order is passed over.
inline constexpr const char *kNoReceiverName = "收货地址中没有收件人姓名";
inline constexpr const char *kNoReceiverMobile = "收货地址中没有手机号码";
inline constexpr const char *kNoStreetAddress = "收货地址中没有街道地址";
inline constexpr const char *kAlreadyInPrintList = "该收件人已在打印列表中";

// The user's summary of a batch that passed orders over: "订单 N：reason", one
// line each, at most `limit` lines and then how many more there are.
std::string skippedOrderLines(const std::vector<SkippedOrder> &skipped, std::size_t limit = 20);

// What the order list (and the command line) tells the user after adding
// receivers or print-list rows: the plain success message when no order was
// passed over, else how many were added, how many skipped, and why (at most
// `limit` orders named).
std::string receiversAddedMessage(const OrderBatchResult &r, std::size_t limit = 20);
std::string printListAddedMessage(const OrderBatchResult &r, std::size_t limit = 20);

// The receivers of these orders into the receiver book, in one transaction:
// a known identity (mobile and address) is rewritten with the order's values,
// a new one inserted. The buyer's message becomes the note, the member name
// the `rww`, the time of entry now (also of a rewritten receiver). `className`
// empty leaves the class alone (the single save of the order panel); the
// batch passes "淘宝订单", which joins the class list. Orders whose split
// gives no name, mobile or street address are skipped, each with its reason.
OrderBatchResult addOrderReceivers(const std::string &databasePath, const std::vector<TbOrder> &orders,
                                   AddressSplit method, const std::string &className);

// Items of an order into the goods catalogue under the class "淘宝" (which
// joins the class list), the unit price as the selling price; goods already
// named so are left alone. One transaction.
OrderBatchResult saveOrderGoods(const std::string &databasePath, const std::vector<TbItem> &items);

// What the print-list transfer needs besides the orders.
struct OrderTransfer {
    std::string templateName;          // the current template, whose rates apply
    std::optional<std::int64_t> senderId; // the default sender, when one is set
    double protectMoney = 0;           // the locked insured amount, else 0
    bool computeFigures = false;       // tbInfoSelf: goods total, freight and total computed here
    AddressSplit method = AddressSplit::Commas;
    std::string printTime;             // "%Y-%m-%d %H:%M:%S"; empty: now
};

// The transfer's settings as the program keeps them: the configured default
// template, the default sender of the sender page when it is locked, the
// insured amount when the order page fixes it, and the Taobao settings.
class ConfigFile;
OrderTransfer readOrderTransfer(const ConfigFile &config);

// One print-list row per order, in one transaction: the receiver from the
// split address, the default sender, the goods texts and figures from the
// items that are goods of the catalogue, freight by the postage rule for the
// receiver's province. An order whose split gives no street address, or whose
// receiver (mobile and address) is already in the print list or earlier in
// this batch, is skipped with its reason.
OrderBatchResult addOrdersToPrintList(const std::string &databasePath, const std::vector<TbOrder> &orders,
                                      const OrderTransfer &transfer);

// The stored orders with these numbers, in the order given; unknown numbers
// are left out.
bool ordersByNumber(DbConnection &db, const std::vector<std::string> &numbers, std::vector<TbOrder> &out);

}
