#include "core/taobao/TaobaoActions.h"

#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/masterdata/BookKind.h"
#include "core/masterdata/Freight.h"
#include "core/masterdata/MasterBook.h"
#include "core/recognition/Recognition.h"
#include "core/recognition/RegionIndex.h"
#include "core/templates/TemplateLibrary.h"
#include "core/waybill/ComposeSettings.h"
#include "core/waybill/PrintStore.h"
#include "core/waybill/WaybillDraft.h"
#include "core/waybill/WaybillFields.h"

#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <utility>

namespace zentra {
namespace {

// The class of goods that orders bring into the catalogue.
constexpr const char *kTaobaoGoodsClass = "淘宝";

std::vector<std::string> splitOn(std::string_view text, std::string_view separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            parts.emplace_back(text.substr(start));
            return parts;
        }
        parts.emplace_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}

// The words of an address: the text between runs of spaces.
std::vector<std::string> wordsOf(std::string_view text)
{
    std::vector<std::string> words;
    for (const std::string &w : splitOn(text, " "))
        if (!w.empty())
            words.push_back(w);
    return words;
}

std::string figure(double value)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%f", value);
    return buf;
}

}

AddressSplit addressSplitOf(int tbRecognizeMethod)
{
    switch (tbRecognizeMethod) {
    case 1:
        return AddressSplit::Standard;
    case 2:
        return AddressSplit::Smart;
    default:
        return AddressSplit::Commas;
    }
}

OrderReceiver splitOrderAddress(std::string_view composite, AddressSplit method, const RegionIndex *regions)
{
    OrderReceiver r;
    if (method == AddressSplit::Commas) {
        const std::vector<std::string> parts = splitOn(composite, "，");
        auto part = [&](std::size_t i) { return i < parts.size() ? parts[i] : std::string(); };
        r.name = part(0);
        r.mobile = part(1);
        r.phone = part(2);
        r.post = part(4);
        // The report writes the address as province, city, district and
        // street with one space between them. The buyer's street may hold
        // spaces of its own (a building, a floor): all of it is the street.
        const std::vector<std::string> words = wordsOf(part(3));
        auto word = [&](std::size_t i) { return i < words.size() ? words[i] : std::string(); };
        r.province = word(0);
        r.city = word(1);
        r.district = word(2);
        for (std::size_t i = 3; i < words.size(); ++i)
            r.address += (i > 3 ? " " : "") + words[i];
        return r;
    }
    const RecognizedAddress a = method == AddressSplit::Standard
                                    ? recognizeStandard(composite)
                                    : recognizeSmart(composite, regions ? *regions : RegionIndex::builtIn());
    r.name = a.name;
    r.mobile = a.mobile;
    r.phone = a.phone;
    r.province = a.province;
    r.city = a.city;
    r.district = a.district;
    r.address = a.address;
    r.post = a.post;
    return r;
}

std::string skippedOrderLines(const std::vector<SkippedOrder> &skipped, std::size_t limit)
{
    std::string out;
    for (std::size_t i = 0; i < skipped.size() && i < limit; ++i)
        out += (i ? "\n" : "") + std::string("订单 ") + skipped[i].orderNum + "：" + skipped[i].reason;
    if (skipped.size() > limit)
        out += "\n……另有 " + std::to_string(skipped.size() - limit) + " 个订单";
    return out;
}

std::string receiversAddedMessage(const OrderBatchResult &r, std::size_t limit)
{
    if (r.skippedOrders.empty())
        return "所有客户信息已经添加到收件人列表!";
    return "已添加 " + std::to_string(r.inserted + r.updated) + " 个客户信息到收件人列表，跳过 " +
           std::to_string(r.skippedOrders.size()) + " 个订单：\n" + skippedOrderLines(r.skippedOrders, limit);
}

std::string printListAddedMessage(const OrderBatchResult &r, std::size_t limit)
{
    if (r.skippedOrders.empty())
        return "订单信息已经添加到打印列表!";
    return "已添加 " + std::to_string(r.printIds.size()) + " 个订单到打印列表，跳过 " +
           std::to_string(r.skippedOrders.size()) + " 个订单：\n" + skippedOrderLines(r.skippedOrders, limit);
}

namespace {

// Why the receiver of an order cannot be kept, or empty when it can.
const char *unusableReceiver(const OrderReceiver &r)
{
    if (r.name.empty())
        return kNoReceiverName;
    if (r.mobile.empty())
        return kNoReceiverMobile;
    if (r.address.empty())
        return kNoStreetAddress;
    return nullptr;
}

}

OrderBatchResult addOrderReceivers(const std::string &databasePath, const std::vector<TbOrder> &orders,
                                   AddressSplit method, const std::string &className)
{
    OrderBatchResult out;
    std::optional<RegionIndex> regions;
    if (method == AddressSplit::Smart) {
        DbConnection db;
        if (db.open(databasePath))
            regions = RegionIndex::fromDatabase(db);
    }
    MasterBook book(databasePath, receiverBook());
    const std::string now = nowText();
    std::vector<BookEntry> entries;
    for (const TbOrder &o : orders) {
        const OrderReceiver r = splitOrderAddress(o.addressInfo, method, regions ? &*regions : nullptr);
        BookEntry e{{"rname", r.name},   {"rprovince", r.province}, {"rcity", r.city}, {"rdistrict", r.district},
                    {"raddress", r.address}, {"rmobile", r.mobile}, {"rphone", r.phone}, {"rpost", r.post},
                    {"rnote", o.sNote},  {"rww", o.nickName},       {"rdate", now}};
        if (!className.empty())
            e["rclass"] = className;
        if (const char *why = unusableReceiver(r)) {
            ++out.skipped;
            out.skippedOrders.push_back({o.orderNum, why});
            continue;
        }
        entries.push_back(std::move(e));
    }
    // A receiver the order refreshes is stamped with the time of the transfer.
    const MasterBook::Upsert u = book.upsertMany(entries, MasterBook::UpsertDate::Now);
    if (!u.result.ok()) {
        out.ok = false;
        out.error = u.result.message;
        return out;
    }
    out.inserted = u.inserted;
    out.updated = u.updated;
    return out;
}

OrderBatchResult saveOrderGoods(const std::string &databasePath, const std::vector<TbItem> &items)
{
    OrderBatchResult out;
    DbConnection db;
    auto fail = [&out, &db] {
        out.ok = false;
        out.error = db.lastError();
        out.inserted = 0;
        return out;
    };
    if (!db.open(databasePath))
        return fail();
    Transaction tx(db);
    if (!tx.active())
        return fail();
    // An item brings only its title and price: the catalogue's own checks
    // (a short name is required when goods are entered by hand) do not apply.
    for (const TbItem &item : items) {
        if (item.item.empty()) {
            ++out.skipped;
            continue;
        }
        DbRows known = db.query("select 1 from cargo where " + db.dialect().folded("cname") + "=" +
                                    db.dialect().folded("?") + " limit 1",
                                {item.item});
        if (!known.ok)
            return fail();
        if (!known.empty()) {
            ++out.skipped; // known goods stay as they are
            continue;
        }
        if (db.execute("insert into cargo(cname, cclass, cpriceOut) values(?, ?, ?)",
                       {item.item, kTaobaoGoodsClass, std::strtod(item.price.c_str(), nullptr)}) != 1)
            return fail();
        ++out.inserted;
    }
    if (out.inserted > 0 && !addMissingClass(db, cargoBook(), kTaobaoGoodsClass))
        return fail();
    if (!tx.commit())
        return fail();
    return out;
}

OrderTransfer readOrderTransfer(const ConfigFile &config)
{
    OrderTransfer t;
    if (!fileExists(config.path()))
        return t;
    t.templateName = templateNameOfFile(config.readText("Template", "Default"));
    const PartyDefault sender = readPartyDefault(config, Party::Sender);
    if (sender.locked)
        t.senderId = sender.id;
    const OrderLocks locks = readOrderLocks(config);
    if (locks.protectMoneyLock)
        t.protectMoney = std::strtod(locks.protectMoney.c_str(), nullptr);
    t.computeFigures = config.readFlag("System", "tbInfoSelf");
    t.method = addressSplitOf(config.readInt("System", "tbRecognizeMethod", 0));
    return t;
}

OrderBatchResult addOrdersToPrintList(const std::string &databasePath, const std::vector<TbOrder> &orders,
                                      const OrderTransfer &transfer)
{
    OrderBatchResult out;
    auto fail = [&out](DbConnection &db) {
        out.ok = false;
        out.error = db.lastError();
        out.printIds.clear();
        out.inserted = 0;
        return out;
    };
    DbConnection db;
    if (!db.open(databasePath))
        return fail(db);
    std::optional<RegionIndex> regions;
    if (transfer.method == AddressSplit::Smart)
        regions = RegionIndex::fromDatabase(db);
    Transaction tx(db);
    if (!tx.active())
        return fail(db);

    WaybillRow base;
    if (transfer.senderId) {
        DbRows sender = db.query("select * from sender where sID=?", {*transfer.senderId});
        if (!sender.ok)
            return fail(db);
        if (!sender.empty()) {
            const DbRow &s = sender[0];
            // The sender's columns are the ones named with an "s" first.
            for (int c = WaybillRow::TemplateName; c < WaybillRow::kColumnCount; ++c) {
                const std::string_view column = waybillColumnNames()[static_cast<std::size_t>(c)];
                if (column.starts_with('s'))
                    base.cell(c) = s.text(column);
            }
        }
    }
    base.cell(WaybillRow::TemplateName) = transfer.templateName;
    base.cell(WaybillRow::PrintTime) = transfer.printTime.empty() ? nowText() : transfer.printTime;
    base.cell(WaybillRow::ProtectMoney) = figure(transfer.protectMoney);

    const auto column = [](std::string_view name) {
        const auto &names = waybillColumnNames();
        for (std::size_t c = 0; c < names.size(); ++c)
            if (names[c] == name)
                return static_cast<int>(c);
        return -1;
    };
    static const int cargoShort = column("cargoShort"), cargoNum = column("cargoNum"),
                     cargoWeight = column("cargoWeight"), orderPrice = column("orderprice"),
                     postFee = column("postfee"), getMoney = column("getmoney"), rphone = column("rphone"),
                     rdistrict = column("rdistrict"), rpost = column("rpost"), raddress = column("raddress"),
                     rnote = column("rnote"), rww = column("rww");

    // Items that are goods of the catalogue, joined by title, in the
    // report's order.
    const SqlDialect &d = db.dialect();
    const std::string goodsOfOrder =
        "select cargo.cname as cname, cargo.cshort as cshort, cargo.cweight as cweight, cargo.cpriceOut as cpriceOut "
        "from cargo inner join tbGoods on " + d.folded("cargo.cname") + "=" + d.folded("tbGoods.tb_item") +
        " where " + d.folded("tbGoods.tb_orderNum") + "=" + d.folded("?") +
        " order by tbGoods.tb_seq asc, cargo.cargoID asc";
    const std::string knownRow = "select 1 from printList where " + d.folded("rmobile") + "=" + d.folded("?") +
                                 " and " + d.folded("raddress") + "=" + d.folded("?") + " limit 1";

    for (const TbOrder &o : orders) {
        const OrderReceiver r = splitOrderAddress(o.addressInfo, transfer.method, regions ? &*regions : nullptr);
        // A waybill without a street would go nowhere.
        if (r.address.empty()) {
            ++out.skipped;
            out.skippedOrders.push_back({o.orderNum, kNoStreetAddress});
            continue;
        }
        DbRows known = db.query(knownRow, {r.mobile, r.address});
        if (!known.ok)
            return fail(db);
        if (!known.empty()) {
            ++out.skipped;
            out.skippedOrders.push_back({o.orderNum, kAlreadyInPrintList});
            continue;
        }
        DbRows goods = db.query(goodsOfOrder, {o.orderNum});
        if (!goods.ok)
            return fail(db);
        std::vector<GoodsUnit> units;
        for (const DbRow &g : goods)
            units.push_back({g.text("cname"), g.text("cshort"), g.real("cweight"), g.real("cpriceOut")});
        const GoodsSummary sum = summarizeGoods(units);
        const double weight = sum.weight, price = sum.total;
        const FreightRate rate = FreightRates::rateIn(db, transfer.templateName, r.province);
        const double freight = postage(weight, price, rate);

        WaybillRow row = base;
        row.cell(WaybillRow::OrderNo) = o.orderNum;
        const std::string trade = normalTradeTime(o.tradeTime);
        row.cell(WaybillRow::TradeTime) = printTimeParts(trade) ? trade : std::string();
        row.cell(WaybillRow::CargoName) = sum.names;
        row.cell(cargoShort) = sum.shortNames;
        row.cell(cargoNum) = std::to_string(sum.count);
        row.cell(cargoWeight) = figure(weight);
        if (transfer.computeFigures) {
            row.cell(orderPrice) = figure(price);
            row.cell(postFee) = figure(freight);
            row.cell(getMoney) = figure(freight + price);
        } else {
            row.cell(orderPrice) = o.orderPrice;
            row.cell(postFee) = o.postFee;
            row.cell(getMoney) = o.getMoney;
        }
        row.cell(WaybillRow::ReceiverName) = r.name;
        row.cell(WaybillRow::ReceiverMobile) = r.mobile;
        row.cell(rphone) = r.phone;
        row.cell(WaybillRow::ReceiverProvince) = r.province;
        row.cell(WaybillRow::ReceiverCity) = r.city;
        row.cell(rdistrict) = r.district;
        row.cell(raddress) = r.address;
        row.cell(rpost) = r.post;
        row.cell(rnote) = o.sNote;
        row.cell(rww) = o.nickName;

        const std::int64_t id = insertWaybillRow(db, WaybillTable::PrintList, row);
        if (id == 0)
            return fail(db);
        out.printIds.push_back(id);
        ++out.inserted;
    }
    if (!tx.commit())
        return fail(db);
    return out;
}

bool ordersByNumber(DbConnection &db, const std::vector<std::string> &numbers, std::vector<TbOrder> &out)
{
    for (const std::string &n : numbers) {
        DbRows rows = db.query("select * from tbList where " + db.dialect().folded("tb_orderNum") + "=" +
                                   db.dialect().folded("?") + " order by tb_id desc limit 1",
                               {n});
        if (!rows.ok)
            return false;
        for (const DbRow &row : rows)
            out.push_back(tbOrderOf(row));
    }
    return true;
}

}
