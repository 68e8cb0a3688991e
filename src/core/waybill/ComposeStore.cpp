#include "core/waybill/ComposeStore.h"

#include "core/config/ConfigFile.h"
#include "core/masterdata/BookKind.h"
#include "core/data/DbLocation.h"
#include "core/masterdata/Freight.h"
#include "core/waybill/OrderCounter.h"

#include <map>

namespace zentra {

std::vector<GoodsUnit> readSelectedGoods(DbConnection &db, bool *ok)
{
    std::vector<GoodsUnit> out;
    DbRows rows = db.query("select cname, cshort, cweight, cpriceOut from cargoSel order by " +
                           db.dialect().folded("cname") + " asc, cargoID asc");
    if (ok)
        *ok = rows.ok;
    out.reserve(rows.size());
    for (const DbRow &r : rows)
        out.push_back({r.text("cname"), r.text("cshort"), r.real("cweight"), r.real("cpriceOut")});
    return out;
}

std::optional<GoodsUnit> catalogueGoods(DbConnection &db, const std::string &name, bool *failed)
{
    const SqlDialect &d = db.dialect();
    DbRows rows = db.query("select cname, cshort, cweight, cpriceOut from cargo where " + d.folded("cname") + "=" +
                               d.folded("?") + " order by cargoID asc limit 1",
                           {name});
    if (failed)
        *failed = !rows.ok;
    if (rows.empty())
        return std::nullopt;
    const DbRow &r = rows[0];
    return GoodsUnit{r.text("cname"), r.text("cshort"), r.real("cweight"), r.real("cpriceOut")};
}

DbRows listSelectedGoods(DbConnection &db)
{
    return db.query("select * from cargoSel order by " + db.dialect().folded("cname") + " asc, cargoID asc");
}

int addSelectedGoods(DbConnection &db, std::int64_t cargoId)
{
    return db.execute("insert into cargoSel(cname, cshort, cclass, cbarcode, cweight, ccurNum, cbotNum, ctopNum, "
                      "cpriceIn, cpriceOut, cpriceOn, cnote, cshortPY) select cname, cshort, cclass, cbarcode, "
                      "cweight, ccurNum, cbotNum, ctopNum, cpriceIn, cpriceOut, cpriceOn, cnote, cshortPY from cargo "
                      "where cargoID=?",
                      {cargoId});
}

int removeSelectedGoods(DbConnection &db, std::int64_t selectedId)
{
    return db.execute("delete from cargoSel where cargoID=?", {selectedId});
}

int removeSelectedGoods(DbConnection &db, const std::vector<std::int64_t> &selectedIds)
{
    Transaction tx(db);
    if (!tx.active())
        return -1;
    int removed = 0;
    for (std::int64_t id : selectedIds) {
        const int n = removeSelectedGoods(db, id);
        if (n < 0)
            return -1;
        removed += n;
    }
    return tx.commit() ? removed : -1;
}

int clearSelectedGoods(DbConnection &db)
{
    return db.execute("delete from cargoSel");
}

DbRows searchBook(const MasterBook &book, const std::string &className, const std::string &text)
{
    if (text.empty())
        return book.list(className);
    DbRows rows = book.search(text);
    if (isAllClasses(className) || !rows.ok)
        return rows;
    const std::string &classColumn = book.kind().classColumn;
    std::vector<DbRow> kept;
    for (const DbRow &r : rows)
        if (r.text(classColumn) == className)
            kept.push_back(r);
    rows.rows = std::move(kept);
    return rows;
}

DbRows goodsOfClassLike(DbConnection &db, const std::string &className)
{
    const SqlDialect &d = db.dialect();
    const std::string order = " order by " + d.folded("cname") + " asc, cargoID asc";
    if (isAllClasses(className))
        return db.query("select * from cargo" + order);
    std::string pattern = "%";
    for (char c : className) {
        if (c == '%' || c == '_' || c == '\\')
            pattern += '\\';
        pattern += c;
    }
    pattern += "%";
    return db.query("select * from cargo where " + d.like("cclass", "?", '\\') + order, {pattern});
}

std::optional<BookEntry> findParty(DbConnection &db, Party party, std::int64_t id, bool *failed)
{
    const BookKind &kind = party == Party::Receiver ? receiverBook() : senderBook();
    DbRows rows = db.query("select * from " + kind.table + " where " + kind.idColumn + "=?", {id});
    if (failed)
        *failed = !rows.ok;
    if (rows.empty())
        return std::nullopt;
    return entryOf(kind, rows[0]);
}

void fillGoodsAndFreight(WaybillDraft &draft, DbConnection &db, const std::string &templateName,
                         const std::string &receiverProvince, const std::vector<GoodsUnit> &goods)
{
    const FreightRate rate = FreightRates::rateIn(db, templateName, receiverProvince);
    draft.fillGoods(summarizeGoods(goods), rate);
}

std::int64_t storeWaybill(const std::string &databasePath, WaybillTable table, const WaybillRow &row,
                          std::string *error)
{
    DbConnection db;
    std::int64_t id = 0;
    if (db.open(databasePath))
        id = insertWaybillRow(db, table, row);
    if (id == 0 && error)
        *error = db.lastError();
    return id;
}

BatchAddResult addBatchToPrintList(const BatchAdd &batch, const ConfigFile &config)
{
    BatchAddResult result;
    const OrderLocks locks = readOrderLocks(config);
    result.orderNum = locks.orderNum;
    result.expressNum = locks.expressNum;

    DbConnection db;
    if (!db.open(batch.databasePath)) {
        result.error = db.lastError();
        return result;
    }
    std::optional<BookEntry> other;
    bool otherFailed = false;
    if (batch.other.locked)
        other = findParty(db, batch.side == Party::Receiver ? Party::Sender : Party::Receiver, batch.other.id,
                          &otherFailed);
    if (otherFailed) {
        result.error = db.lastError();
        return result;
    }
    bool ok = true;
    std::vector<GoodsUnit> goods;
    if (batch.cargoLock)
        goods = readSelectedGoods(db, &ok);
    if (!ok) {
        result.error = db.lastError();
        return result;
    }
    const GoodsSummary summary = summarizeGoods(goods);

    // A locked time that is no valid date and time is stored empty.
    auto lockedTime = [&batch](bool locked, const std::string &value) {
        if (!locked)
            return batch.now;
        return isDateTime(value) ? value : std::string();
    };
    const std::string tradeTime = lockedTime(locks.tradeTimeLock, locks.tradeTime);
    const std::string printTime = lockedTime(locks.printTimeLock, locks.printTime);

    // The numbers are taken before the rows are made and given back should
    // nothing be stored.
    // With a shared database the order numbers are the shop's, taken below
    // with the rows.
    const int count = static_cast<int>(batch.entries.size());
    const bool sharedOrder = locks.autoOrderNum && isServerLocation(batch.databasePath) && count > 0;
    const TakenNumbers taken = takeNumbers(config, count, !sharedOrder, true);
    if (!taken.ok) {
        result.error = taken.error;
        return result;
    }
    auto fail = [&](std::string error) {
        returnNumbers(config, taken);
        result.error = std::move(error);
        return result;
    };

    // Every row is made (and priced for its receiver) before the transaction starts.
    std::map<std::string, FreightRate> rateOfProvince;
    std::vector<WaybillRow> rows;
    std::string orderNum = taken.orderNum;
    std::string expressNum = taken.expressNum;
    for (const BookEntry &entry : batch.entries) {
        WaybillDraft d;
        d.setAllPresent();
        const BookEntry none;
        const BookEntry &receiver = batch.side == Party::Receiver ? entry : (other ? *other : none);
        const BookEntry &sender = batch.side == Party::Sender ? entry : (other ? *other : none);
        d.fillReceiver(receiver);
        d.fillSender(sender);
        const auto province = receiver.find("rprovince");
        const std::string p = province == receiver.end() ? std::string() : province->second;
        auto rate = rateOfProvince.find(p);
        if (rate == rateOfProvince.end())
            rate = rateOfProvince.emplace(p, FreightRates::rateIn(db, batch.templateName, p)).first;
        d.fillGoods(summary, rate->second);
        d.setOrderNumber(orderNum);
        d.setExpressNumber(expressNum);
        d.setTradeTime(tradeTime);
        d.setPrintTime(printTime);
        d.setInsuredAmount(locks.protectMoneyLock ? locks.protectMoney : std::string());
        rows.push_back(d.printListRow(batch.templateName));
        orderNum = advanceNumber(orderNum);
        expressNum = advanceNumber(expressNum);
    }

    Transaction tx(db);
    if (!tx.active())
        return fail(db.lastError());
    // A shared database hands out the shop's order numbers, in this same
    // transaction: the rows and their numbers are stored together or not.
    std::string sharedNext;
    if (sharedOrder) {
        const std::optional<std::string> first =
            OrderCounter::takeIn(db, static_cast<int>(rows.size()), locks.orderNum);
        if (!first)
            return fail(db.lastError());
        std::string n = *first;
        for (WaybillRow &row : rows) {
            row.cell(WaybillRow::OrderNo) = n;
            n = advanceNumber(n);
        }
        sharedNext = n;
    }
    std::vector<std::int64_t> ids;
    for (const WaybillRow &row : rows) {
        const std::int64_t id = insertWaybillRow(db, WaybillTable::PrintList, row);
        if (id == 0)
            return fail(db.lastError());
        ids.push_back(id);
    }
    if (!tx.commit())
        return fail(db.lastError());
    db.close();

    result.ok = true;
    result.printIds = std::move(ids);
    if (sharedOrder)
        result.orderNum = sharedNext;
    else if (!taken.orderNum.empty())
        result.orderNum = taken.nextOrderNum;
    if (!taken.expressNum.empty())
        result.expressNum = taken.nextExpressNum;
    return result;
}

}
