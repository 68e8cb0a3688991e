#include "core/waybill/OrderCounter.h"

#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/waybill/ComposeSettings.h"
#include "core/waybill/WaybillDraft.h"

namespace zentra {

namespace {

constexpr const char *kOrderNum = "OrderNum";

std::string configValue(const std::string &configPath)
{
    const ConfigFile config(configPath);
    return fileExists(configPath) ? config.readText("Order", kOrderNum) : std::string();
}

std::optional<std::string> stored(DbConnection &db)
{
    DbRows rows = db.query("select counterValue from shopCounter where " + db.dialect().folded("counterName") + " = " +
                               db.dialect().folded("?"),
                           {kOrderNum});
    if (!rows.ok)
        return std::nullopt;
    return rows.empty() ? std::string("\x01") : rows[0].at(0); // "\x01": no row yet
}

bool store(DbConnection &db, const std::string &value, bool exists)
{
    const SqlDialect &d = db.dialect();
    if (exists)
        return db.execute("update shopCounter set counterValue = ? where " + d.folded("counterName") + " = " +
                              d.folded("?"),
                          {value, kOrderNum}) == 1;
    return db.execute("insert into shopCounter(counterName, counterValue) values(?, ?)", {kOrderNum, value}) == 1;
}

}

OrderCounter::OrderCounter(const DataFolder &folder)
    : location_(folder.databasePath()), configPath_(folder.configPath()), shared_(folder.isSharedDatabase())
{
}

std::optional<std::string> OrderCounter::peek(std::string *error) const
{
    if (!shared_)
        return configValue(configPath_);
    DbConnection db;
    std::optional<std::string> v;
    if (db.open(location_))
        v = stored(db);
    if (!v) {
        if (error)
            *error = db.lastError();
        return std::nullopt;
    }
    return *v == "\x01" ? configValue(configPath_) : *v;
}

bool OrderCounter::set(const std::string &number, std::string *error) const
{
    if (!shared_) {
        writeOrderNumber(ConfigFile(configPath_), number);
        return true;
    }
    DbConnection db;
    bool ok = db.open(location_);
    if (ok) {
        Transaction tx(db);
        const std::optional<std::string> v = tx.active() ? stored(db) : std::nullopt;
        ok = v && store(db, number, *v != "\x01") && tx.commit();
    }
    if (!ok && error)
        *error = db.lastError();
    return ok;
}

std::optional<std::string> OrderCounter::takeIn(DbConnection &db, int count, const std::string &fallback)
{
    const std::optional<std::string> v = stored(db);
    if (!v)
        return std::nullopt;
    const bool exists = *v != "\x01";
    const std::string first = exists ? *v : fallback;
    if (first.empty() || count < 1)
        return std::string();
    std::string next = first;
    for (int i = 0; i < count; ++i)
        next = advanceNumber(next);
    if (!store(db, next, exists))
        return std::nullopt;
    return first;
}

std::optional<std::string> OrderCounter::take(int count, std::string *error) const
{
    if (!shared_) {
        // Read and advanced as one step under config.ini's lock; the switch
        // is the caller's to check.
        const ConfigFile config(configPath_);
        std::string first, next, why;
        const bool ok = config.edit(
            [&](ConfigFile::Edit &e) {
                first = e.readText("Order", kOrderNum);
                if (first.empty() || count < 1)
                    return true;
                next = first;
                for (int i = 0; i < count; ++i)
                    next = advanceNumber(next);
                return e.writeText("Order", kOrderNum, next, &why);
            },
            &why);
        if (!ok) {
            if (error)
                *error = why;
            return std::nullopt;
        }
        return count < 1 ? std::string() : first;
    }
    DbConnection db;
    std::optional<std::string> first;
    if (db.open(location_)) {
        // A writer's transaction: stations take their numbers one after
        // another, each seeing the number the one before left.
        Transaction tx(db);
        if (tx.active())
            first = takeIn(db, count, configValue(configPath_));
        if (first && !tx.commit())
            first.reset();
    }
    if (!first && error)
        *error = db.lastError();
    return first;
}

TakenNumbers takeWaybillNumbers(const DataFolder &folder, int count, bool orderNumbers, bool expressNumbers)
{
    const ConfigFile config(folder.configPath());
    const OrderCounter counter(folder);
    const bool fromShop = orderNumbers && counter.shared();
    TakenNumbers t = takeNumbers(config, count, orderNumbers && !fromShop, expressNumbers);
    if (!t.ok || !fromShop || count < 1 || !fileExists(folder.configPath()) || !readOrderLocks(config).autoOrderNum)
        return t;
    std::string error;
    const std::optional<std::string> first = counter.take(count, &error);
    if (!first) {
        returnNumbers(config, t);
        TakenNumbers failed;
        failed.error = error;
        return failed;
    }
    t.orderFromShop = true;
    t.orderNum = *first;
    t.nextOrderNum = *first;
    if (!first->empty())
        for (int i = 0; i < count; ++i)
            t.nextOrderNum = advanceNumber(t.nextOrderNum);
    return t;
}

}
