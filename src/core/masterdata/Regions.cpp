#include "core/masterdata/Regions.h"

#include "core/data/DbConnection.h"

namespace zentra {
namespace {

std::vector<Region> regionList(const std::string &path, const std::string &sql, const DbParams &params,
                               const char *idColumn, const char *nameColumn)
{
    std::vector<Region> out;
    DbConnection db;
    if (!db.open(path))
        return out;
    for (const DbRow &r : db.query(sql, params))
        out.push_back({r.integer(idColumn), r.text(nameColumn)});
    return out;
}

// The id of the row of `table` whose `column` is `name` (case ignored).
std::int64_t idOf(const std::string &path, const char *table, const char *column, const std::string &name,
                  const char *idColumn)
{
    DbConnection db;
    if (!db.open(path))
        return 0;
    const SqlDialect &d = db.dialect();
    DbRows rows = db.query(std::string("select ") + idColumn + " from " + table + " where " + d.folded(column) + "=" +
                               d.folded("?") + " order by " + idColumn + " asc limit 1",
                           {name});
    return rows.empty() ? 0 : rows[0].integer(idColumn);
}

}

Regions::Regions(std::string databasePath) : path_(std::move(databasePath)) {}

std::vector<Region> Regions::provinces() const
{
    return regionList(path_, "select provinceID, province from province order by provinceID asc", {}, "provinceID",
                      "province");
}

// `father` holds the parent's code written in decimal.
std::vector<Region> Regions::cities(std::int64_t provinceId) const
{
    return regionList(path_, "select cityID, city from city where father=? order by cityID asc",
                      {std::to_string(provinceId)}, "cityID", "city");
}

std::vector<Region> Regions::districts(std::int64_t cityId) const
{
    return regionList(path_, "select areaID, area from area where father=? order by areaID asc",
                      {std::to_string(cityId)}, "areaID", "area");
}

std::int64_t Regions::provinceId(const std::string &name) const
{
    return idOf(path_, "province", "province", name, "provinceID");
}

std::int64_t Regions::cityId(const std::string &name) const
{
    return idOf(path_, "city", "city", name, "cityID");
}

}
