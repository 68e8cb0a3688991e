#include "core/waybill/WaybillRow.h"

#include <charconv>
#include <cstdlib>
#include <sqlite3.h>

namespace zentra {

std::int64_t WaybillRow::printId() const
{
    return std::strtoll(cell(PrintId).c_str(), nullptr, 10);
}

const std::array<std::string_view, WaybillRow::kColumnCount> &waybillColumnNames()
{
    static const std::array<std::string_view, WaybillRow::kColumnCount> names = {
        "",          "",          "templateName", "rname",      "sname",    "orderNo",     "expressNo",
        "printTime", "tradeTime", "cargoName",    "cargoShort", "cargoNum", "cargoWeight", "orderprice",
        "postfee",   "getmoney",  "protectMoney", "printId",    "rmobile",  "rphone",      "rprovince",
        "rcity",     "rdistrict", "rpost",        "raddress",   "rcompany", "rnote",       "rww",
        "rqq",       "rself1",    "rself2",       "rself3",     "rself4",   "smobile",     "sphone",
        "sprovince", "scity",     "sdistrict",    "spost",      "saddress", "scompany",    "snote",
        "sww",       "sqq",       "sself1",       "sself2",     "sself3",   "sself4",
    };
    return names;
}

WaybillRow waybillRowFrom(const DbRow &row, std::size_t index)
{
    WaybillRow out;
    const auto &names = waybillColumnNames();
    out.cells[WaybillRow::RowNumber] = std::to_string(index + 1);
    for (int c = WaybillRow::TemplateName; c < WaybillRow::kColumnCount; ++c)
        out.cell(c) = row.text(names[static_cast<std::size_t>(c)]);
    return out;
}

namespace {

// A cell as DbRow reads it: NULL empty, numbers in their shortest exact form.
void cellText(sqlite3_stmt *stmt, int i, std::string &out)
{
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_NULL:
        out.clear();
        break;
    case SQLITE_INTEGER:
        out = std::to_string(sqlite3_column_int64(stmt, i));
        break;
    case SQLITE_FLOAT: {
        char buf[64];
        const auto res = std::to_chars(buf, buf + sizeof buf, sqlite3_column_double(stmt, i));
        out.assign(buf, res.ptr);
        break;
    }
    default: {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
        if (p)
            out.assign(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt, i)));
        else
            out.clear();
    }
    }
}

bool bind(sqlite3_stmt *stmt, const DbParams &params)
{
    int i = 1;
    for (const DbValue &v : params.values) {
        int rc = SQLITE_OK;
        if (std::holds_alternative<std::nullptr_t>(v))
            rc = sqlite3_bind_null(stmt, i);
        else if (const auto *n = std::get_if<std::int64_t>(&v))
            rc = sqlite3_bind_int64(stmt, i, *n);
        else if (const auto *d = std::get_if<double>(&v))
            rc = sqlite3_bind_double(stmt, i, *d);
        else {
            const auto &t = std::get<std::string>(v);
            rc = sqlite3_bind_text(stmt, i, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
        }
        if (rc != SQLITE_OK)
            return false;
        ++i;
    }
    return true;
}

}

std::vector<WaybillRow> queryWaybillRows(DbConnection &db, std::string_view sql, const DbParams &params, bool *ok)
{
    std::vector<WaybillRow> out;
    if (ok)
        *ok = false;
    if (!db.handle()) {
        db.setError("database is not open");
        return out;
    }
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db.handle(), sql.data(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK ||
        !stmt || !bind(stmt, params)) {
        db.takeEngineError();
        sqlite3_finalize(stmt);
        return out;
    }
    // The cells are read straight into the rows: a query of 100,000 rows
    // makes each text once.
    const auto &names = waybillColumnNames();
    std::array<int, WaybillRow::kColumnCount> position;
    position.fill(-1);
    const int n = sqlite3_column_count(stmt);
    for (std::size_t c = WaybillRow::TemplateName; c < names.size(); ++c)
        for (int k = 0; k < n; ++k)
            if (names[c] == sqlite3_column_name(stmt, k))
                position[c] = k;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        WaybillRow &r = out.emplace_back();
        r.cells[WaybillRow::RowNumber] = std::to_string(out.size());
        for (std::size_t c = WaybillRow::TemplateName; c < names.size(); ++c)
            if (position[c] >= 0)
                cellText(stmt, position[c], r.cells[c]);
    }
    const bool done = rc == SQLITE_DONE;
    if (!done)
        db.takeEngineError();
    sqlite3_finalize(stmt);
    if (ok)
        *ok = done;
    return out;
}

std::vector<WaybillRow> readPrintList(DbConnection &db, bool *ok)
{
    return queryWaybillRows(db, "select * from printList order by expressNo, printId asc", {}, ok);
}

std::vector<const WaybillRow *> rowsToPrint(const std::vector<WaybillRow> &rows, int mode)
{
    std::vector<const WaybillRow *> out;
    if (mode != 2 && mode != 3)
        return out;
    for (const auto &r : rows)
        if (mode == 3 || r.ticked)
            out.push_back(&r);
    return out;
}

}
