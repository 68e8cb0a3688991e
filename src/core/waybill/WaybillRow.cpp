#include "core/waybill/WaybillRow.h"

#include <cstdlib>

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

std::vector<WaybillRow> waybillRowsFrom(const DbRows &rows)
{
    std::vector<WaybillRow> out;
    // Look the columns up once: a batch may hold tens of thousands of rows.
    const auto &names = waybillColumnNames();
    std::array<int, WaybillRow::kColumnCount> position;
    position.fill(-1);
    for (std::size_t c = WaybillRow::TemplateName; c < names.size(); ++c)
        for (std::size_t k = 0; k < rows.columns.size(); ++k)
            if (rows.columns[k] == names[c])
                position[c] = static_cast<int>(k);
    out.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        WaybillRow &r = out.emplace_back();
        r.cells[WaybillRow::RowNumber] = std::to_string(i + 1);
        for (std::size_t c = WaybillRow::TemplateName; c < names.size(); ++c)
            if (position[c] >= 0)
                r.cells[c] = rows[i].at(static_cast<std::size_t>(position[c]));
    }
    return out;
}

std::vector<WaybillRow> readPrintList(DbConnection &db, bool *ok)
{
    DbRows rows = db.query("select * from printList order by expressNo, printId asc");
    if (ok)
        *ok = rows.ok;
    return waybillRowsFrom(rows);
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
