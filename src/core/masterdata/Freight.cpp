#include "core/masterdata/Freight.h"

#include "core/data/DbConnection.h"

#include <cmath>
#include <cstdlib>

namespace zentra {

namespace {

std::string updateRateStatement(const SqlDialect &d)
{
    return "update freight set afreight=?, bfreight=?, moneyFree=? where " + d.folded("province") + "=" +
           d.folded("?") + " and " + d.folded("tmpName") + "=" + d.folded("?");
}

}

double postage(double weight, double goodsTotal, const FreightRate &rate)
{
    // A negative or non-number weight weighs nothing.
    const double w = weight > 0 ? std::ceil(weight) : 0;
    if (goodsTotal >= rate.moneyFree || w == 0)
        return 0;
    return (w - 1) * rate.bfreight + rate.afreight;
}

FreightRates::FreightRates(std::string databasePath) : path_(std::move(databasePath)) {}

std::vector<FreightRow> FreightRates::rowsFor(const std::string &templateName, std::string *error) const
{
    std::vector<FreightRow> out;
    DbConnection db;
    if (!db.open(path_)) {
        if (error)
            *error = db.lastError();
        return out;
    }
    const SqlDialect &d = db.dialect();
    const std::string byTemplate = d.folded("tmpName") + "=" + d.folded("?");
    const std::string select = "select * from freight where " + byTemplate + " order by id asc";
    DbRows rows = db.query(select, {templateName});
    if (rows.ok && rows.empty() && templateName != kDefaultFreightTemplate) {
        if (db.execute("insert into freight(provinceID, province, tmpName, afreight, bfreight, moneyFree) "
                       "select provinceID, province, ?1, afreight, bfreight, moneyFree from freight "
                       "where " + d.folded("tmpName") + "=" + d.folded("?2") + " order by id asc",
                       {templateName, kDefaultFreightTemplate}) < 0) {
            if (error)
                *error = db.lastError();
            return out;
        }
        rows = db.query(select, {templateName});
    }
    if (!rows.ok) {
        if (error)
            *error = db.lastError();
        return out;
    }
    for (const DbRow &r : rows)
        out.push_back({r.integer("id"), r.integer("provinceID"), r.text("province"), r.text("afreight"),
                       r.text("bfreight"), r.text("moneyFree")});
    return out;
}

bool FreightRates::saveRows(const std::string &templateName, const std::vector<FreightRow> &rows,
                            std::string *error) const
{
    DbConnection db;
    if (!db.open(path_)) {
        if (error)
            *error = db.lastError();
        return false;
    }
    Transaction tx(db);
    bool ok = tx.active();
    const std::string sql = updateRateStatement(db.dialect());
    for (std::size_t i = 0; ok && i < rows.size(); ++i)
        ok = db.execute(sql, {rows[i].afreight, rows[i].bfreight, rows[i].moneyFree, rows[i].province, templateName}) >= 0;
    if (ok)
        ok = tx.commit();
    if (!ok && error)
        *error = db.lastError();
    return ok;
}

int FreightRates::setRate(const std::string &templateName, const std::string &province, const std::string &afreight,
                          const std::string &bfreight, const std::string &moneyFree, std::string *error) const
{
    DbConnection db;
    int n = -1;
    if (db.open(path_))
        n = db.execute(updateRateStatement(db.dialect()), {afreight, bfreight, moneyFree, province, templateName});
    if (n < 0 && error)
        *error = db.lastError();
    return n;
}

FreightRate FreightRates::rateFor(const std::string &templateName, const std::string &province) const
{
    DbConnection db;
    if (!db.open(path_))
        return {};
    return rateIn(db, templateName, province);
}

FreightRate FreightRates::rateIn(DbConnection &db, const std::string &templateName, const std::string &province)
{
    FreightRate rate;
    std::string pattern = "%";
    for (char c : province) {
        if (c == '%' || c == '_' || c == '\\')
            pattern += '\\';
        pattern += c;
    }
    pattern += "%";
    const SqlDialect &d = db.dialect();
    DbRows rows = db.query("select afreight, bfreight, moneyFree from freight where " + d.like("province", "?", '\\') +
                               " and " + d.folded("tmpName") + "=" + d.folded("?") + " order by id asc limit 1",
                           {pattern, templateName});
    if (!rows.empty()) {
        rate.afreight = rows[0].real("afreight");
        rate.bfreight = rows[0].real("bfreight");
        rate.moneyFree = rows[0].real("moneyFree");
    }
    return rate;
}

}
