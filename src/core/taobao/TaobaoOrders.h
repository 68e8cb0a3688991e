#pragma once

#include "core/text/CsvReader.h"

#include <ctime>
#include <optional>
#include <string>
#include <utility>
#include <string_view>
#include <vector>

namespace zentra {

class DbConnection;
class DbRow;

// One order of `tbList`, its columns as text.
struct TbOrder {
    std::string id; // tb_id, empty before it is stored
    std::string orderNum, status, nickName, proCity, tradeTime, orderPrice, postFee, getMoney, addressInfo, sNote;
};

// One item of an order (`tbGoods`).
struct TbItem {
    std::string orderNum, item, sku, price, num;
};

// The rules of a report's columns.
// The order number without the "=" and '"' of the report's formula text.
std::string bareOrderNumber(std::string_view text);
// Splits a six-digit post code in parentheses, starting 1 to 9, off the end of
// an address; `post` is empty and `address` whole otherwise.
void splitPostCode(std::string_view text, std::string &address, std::string &post);
// The region of an address: up to and including its first "市", else its
// first two space-separated words (province and city).
std::string regionOfAddress(std::string_view address);
// The composite address: name, mobile, phone, address and post code joined
// by "，".
std::string compositeAddress(std::string_view name, std::string_view mobile, std::string_view phone,
                             std::string_view address, std::string_view post);
// A trade time as "%Y-%m-%d %H:%M:%S" when it reads as a date and time
// ("2026-12-01 9:05:00", "2026/12/1 9:05"); otherwise the text as it is.
std::string normalTradeTime(std::string_view text);

// Reading the two reports. Every data record of the file is either in the
// rows read or among `skipped` with its line and reason (a CSV fault, text
// the encoding cannot decode, no order number, an item without title), so
// `records` = rows read + skipped.
struct ReportRead {
    enum class Failure {
        None,
        Open,      // the file cannot be read: "打开文件失败"
        NotReport, // no header with "订单编号" and "收货地址" (items: "订单编号" and "标题"), or an undecodable one
    };
    bool ok = false;
    Failure failure = Failure::None;
    std::string error;   // Open: why; NotReport: the reason
    std::string message; // what to show the user when not ok
    std::string encoding;
    int records = 0;     // data records, the header not counted
    std::vector<CsvSkipped> skipped;
};
ReportRead readOrderReport(const std::string &path, std::vector<TbOrder> &orders);
ReportRead readItemReport(const std::string &path, std::vector<TbItem> &items);
// The same over a reader already opened (on bytes in memory, say).
ReportRead readOrderReport(CsvReader &reader, std::vector<TbOrder> &orders);
ReportRead readItemReport(CsvReader &reader, std::vector<TbItem> &items);

// Storing them, all in one transaction: a new order is inserted, a known one
// (by order number) gets only its new status; a new item (by order number and
// title) is inserted, a known one stays. Orders without order number or
// composite address and items without order number or title are passed over.
struct StoreResult {
    bool ok = false;
    std::string error;
    int stored = 0; // orders or items considered
    int inserted = 0;
    int updated = 0;
};
StoreResult storeOrders(DbConnection &db, const std::vector<TbOrder> &orders);
StoreResult storeItems(DbConnection &db, const std::vector<TbItem> &items);

// The order list of a period (both bounds exclusive, "%Y-%m-%d %H:%M:%S"),
// newest first; a search text is looked for in every column. `mergeByAddress`
// keeps one order per composite address: the one stored last.
struct OrderQuery {
    std::string from, to, search;
    bool mergeByAddress = false;
};
bool queryOrders(DbConnection &db, const OrderQuery &q, std::vector<TbOrder> &out);

// The order list's ranges, in the order of its drop-down: "今日", "近二天",
// "近三天", "近一周", "近一月", "本月", "自定义".
const std::vector<std::string> &orderRanges();
// The bounds a range gives at `now` (local time, "%Y-%m-%d %H:%M:%S"): from
// the midnight of the range's first day to now. "自定义" (and any other
// index) gives none: the pickers stay as they are.
std::optional<std::pair<std::string, std::string>> orderRangeBounds(int index, std::time_t now);
bool orderItems(DbConnection &db, std::string_view orderNum, std::vector<TbItem> &out);
// Deletes an order and its items together; false (nothing deleted) on failure.
bool deleteOrder(DbConnection &db, std::string_view orderNum);

// An order from a row of "select * from tbList".
TbOrder tbOrderOf(const DbRow &row);

// The `tbList` column names in table order, as the command line prints them.
const std::vector<std::string> &tbListColumns();

}
