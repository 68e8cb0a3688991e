// taobao import-orders / import-items / list / goods / delete: the order list
// of the Taobao dialog for scripts.
#include "cli/CliCommand.h"
#include "cli/CliJson.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/config/ConfigFile.h"
#include "core/taobao/TaobaoActions.h"
#include "core/taobao/TaobaoOrders.h"

#include <iostream>
#include <limits>

namespace zentra::cli {
namespace {

constexpr const char *kUsage =
    "taobao import-orders FILE | taobao import-items FILE | "
    "taobao list [--from T] [--to T] [--search S] [--merge] | taobao goods ORDERNO | taobao delete ORDERNO... | "
    "taobao add-receivers ORDERNO... | taobao save-goods ORDERNO | taobao add-print-list ORDERNO...";

// Scripts hear of every order passed over.
constexpr std::size_t kEveryOrder = std::numeric_limits<std::size_t>::max();

bool openDatabase(const CliContext &ctx, DbConnection &db)
{
    std::string error;
    if (!initDataFolder(ctx.folder, &error) || !db.open(ctx.folder.databasePath())) {
        std::cerr << "cannot open the database: " << (error.empty() ? db.lastError() : error) << "\n";
        return false;
    }
    return true;
}

// Reads a report with `read`, stores it with `store` and prints `summary`;
// the records passed over are named on standard error, one a line, and
// counted at the end of the summary.
template <typename Row, typename Summary>
int importReport(const CliContext &ctx, ReportRead (*read)(const std::string &, std::vector<Row> &),
                 StoreResult (*store)(DbConnection &, const std::vector<Row> &), Summary summary)
{
    std::vector<Row> rows;
    const ReportRead r = read(ctx.args[1], rows);
    if (!r.ok) {
        std::cout << r.message << "\n";
        if (r.failure == ReportRead::Failure::Open)
            std::cerr << ctx.args[1] << ": " << r.error << "\n";
        return 1;
    }
    DbConnection db;
    if (!openDatabase(ctx, db))
        return 1;
    const StoreResult stored = store(db, rows);
    if (!stored.ok) {
        std::cerr << "cannot store the report: " << stored.error << "\n";
        return 1;
    }
    for (const CsvSkipped &s : r.skipped)
        std::cerr << "第" << s.line << "行：" << s.reason << "\n";
    std::cout << summary(stored) << (r.skipped.empty() ? "" : "，跳过 " + std::to_string(r.skipped.size()))
              << "\n";
    return 0;
}

int importOrders(const CliContext &ctx)
{
    return importReport(ctx, readOrderReport, storeOrders, [](const StoreResult &r) {
        return "导入订单 " + std::to_string(r.stored) + " 条：新增 " + std::to_string(r.inserted) + "，更新 " +
               std::to_string(r.updated);
    });
}

int importItems(const CliContext &ctx)
{
    return importReport(ctx, readItemReport, storeItems, [](const StoreResult &r) {
        return "导入宝贝 " + std::to_string(r.stored) + " 条：新增 " + std::to_string(r.inserted);
    });
}

// A bound given as a day alone covers that whole day.
std::string bound(const std::string &text, bool upper)
{
    const std::string t = normalTradeTime(text);
    if (t.size() == 19 && text.find(':') == std::string::npos)
        return t.substr(0, 11) + (upper ? "23:59:59" : "00:00:00");
    return t;
}

int list(const CliContext &ctx)
{
    OrderQuery q;
    q.from = "";
    q.to = "9999-12-31 23:59:59";
    for (std::size_t i = 1; i < ctx.args.size(); ++i) {
        const std::string &a = ctx.args[i];
        const bool hasValue = i + 1 < ctx.args.size();
        if (a == "--merge")
            q.mergeByAddress = true;
        else if (a == "--from" && hasValue)
            q.from = bound(ctx.args[++i], false);
        else if (a == "--to" && hasValue)
            q.to = bound(ctx.args[++i], true);
        else if (a == "--search" && hasValue)
            q.search = ctx.args[++i];
        else {
            std::cerr << "usage: zentra-cli " << kUsage << "\n";
            return 2;
        }
    }
    DbConnection db;
    if (!openDatabase(ctx, db))
        return 1;
    std::vector<TbOrder> orders;
    if (!queryOrders(db, q, orders)) {
        std::cerr << "cannot read the orders: " << db.lastError() << "\n";
        return 1;
    }
    const std::vector<std::string> &keys = tbListColumns();
    for (const TbOrder &o : orders) {
        const std::string_view values[] = {o.id,         o.orderNum, o.status,   o.nickName,    o.proCity, o.tradeTime,
                                           o.orderPrice, o.postFee,  o.getMoney, o.addressInfo, o.sNote};
        std::vector<std::pair<std::string_view, std::string_view>> members;
        for (std::size_t k = 0; k < keys.size(); ++k)
            members.emplace_back(keys[k], values[k]);
        std::cout << jsonObject(members) << "\n";
    }
    return 0;
}

// The items of the order named by the second argument.
bool itemsOfOrder(const CliContext &ctx, std::vector<TbItem> &items)
{
    DbConnection db;
    if (!openDatabase(ctx, db))
        return false;
    if (!orderItems(db, ctx.args[1], items)) {
        std::cerr << "cannot read the items: " << db.lastError() << "\n";
        return false;
    }
    return true;
}

int goods(const CliContext &ctx)
{
    std::vector<TbItem> items;
    if (!itemsOfOrder(ctx, items))
        return 1;
    for (const TbItem &it : items)
        std::cout << jsonObject({{"tb_orderNum", it.orderNum},
                                 {"tb_item", it.item},
                                 {"tb_sku", it.sku},
                                 {"tb_price", it.price},
                                 {"tb_num", it.num}})
                  << "\n";
    return 0;
}

int remove(const CliContext &ctx)
{
    DbConnection db;
    if (!openDatabase(ctx, db))
        return 1;
    for (std::size_t i = 1; i < ctx.args.size(); ++i) {
        if (!deleteOrder(db, ctx.args[i])) {
            std::cout << "订单 " << ctx.args[i] << " 无法删除: " << db.lastError() << "\n";
            return 1;
        }
        std::cout << "已删除订单 " << ctx.args[i] << "\n";
    }
    return 0;
}

// The stored orders named on the command line; an unknown number is an error.
bool namedOrders(const CliContext &ctx, std::vector<TbOrder> &orders)
{
    DbConnection db;
    if (!openDatabase(ctx, db))
        return false;
    const std::vector<std::string> numbers(ctx.args.begin() + 1, ctx.args.end());
    if (!ordersByNumber(db, numbers, orders)) {
        std::cerr << "cannot read the orders: " << db.lastError() << "\n";
        return false;
    }
    for (const std::string &n : numbers) {
        bool found = false;
        for (const TbOrder &o : orders)
            found = found || o.orderNum == n;
        if (!found) {
            std::cerr << "no such order: " << n << "\n";
            return false;
        }
    }
    return true;
}

int addReceivers(const CliContext &ctx)
{
    std::vector<TbOrder> orders;
    if (!namedOrders(ctx, orders))
        return 1;
    const OrderTransfer settings = readOrderTransfer(ConfigFile(ctx.folder.configPath()));
    const OrderBatchResult r =
        addOrderReceivers(ctx.folder.databasePath(), orders, settings.method, "淘宝订单");
    if (!r.ok) {
        std::cerr << r.error << "\n";
        return 1;
    }
    std::cout << receiversAddedMessage(r, kEveryOrder) << "\n";
    return 0;
}

int saveGoods(const CliContext &ctx)
{
    std::vector<TbItem> items;
    if (!itemsOfOrder(ctx, items))
        return 1;
    const OrderBatchResult r = saveOrderGoods(ctx.folder.databasePath(), items);
    if (!r.ok) {
        std::cerr << r.error << "\n";
        return 1;
    }
    std::cout << "所有宝贝信息已经添加到货品列表!\n";
    return 0;
}

int addPrintList(const CliContext &ctx)
{
    std::vector<TbOrder> orders;
    if (!namedOrders(ctx, orders))
        return 1;
    const OrderTransfer settings = readOrderTransfer(ConfigFile(ctx.folder.configPath()));
    const OrderBatchResult r = addOrdersToPrintList(ctx.folder.databasePath(), orders, settings);
    if (!r.ok) {
        std::cerr << r.error << "\n";
        return 1;
    }
    for (std::int64_t id : r.printIds)
        std::cout << id << "\n";
    std::cout << printListAddedMessage(r, kEveryOrder) << "\n";
    return 0;
}

int taobao(CliContext &ctx)
{
    const auto &a = ctx.args;
    const std::string sub = a.empty() ? std::string() : a[0];
    if (sub == "import-orders" && a.size() == 2)
        return importOrders(ctx);
    if (sub == "import-items" && a.size() == 2)
        return importItems(ctx);
    if (sub == "list")
        return list(ctx);
    if (sub == "goods" && a.size() == 2)
        return goods(ctx);
    if (sub == "delete" && a.size() >= 2)
        return remove(ctx);
    if (sub == "add-receivers" && a.size() >= 2)
        return addReceivers(ctx);
    if (sub == "save-goods" && a.size() == 2)
        return saveGoods(ctx);
    if (sub == "add-print-list" && a.size() >= 2)
        return addPrintList(ctx);
    std::cerr << "usage: zentra-cli " << kUsage << "\n";
    return 2;
}

const CliRegistration reg("taobao", kUsage, taobao);

}
}
