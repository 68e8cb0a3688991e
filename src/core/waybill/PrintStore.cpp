#include "core/waybill/PrintStore.h"

#include "core/text/Pinyin.h"

#include <cstdlib>
#include <string>

namespace zentra {

namespace {

bool isFigureColumn(int column)
{
    // cargoNum, cargoWeight, orderprice, postfee, getmoney, protectMoney
    return column >= 11 && column <= WaybillRow::ProtectMoney;
}

std::string insertStatement(WaybillTable table)
{
    const auto &names = waybillColumnNames();
    std::string columns;
    std::string marks;
    for (int c = WaybillRow::TemplateName; c < WaybillRow::kColumnCount; ++c) {
        if (c == WaybillRow::PrintId)
            continue;
        columns += std::string(names[static_cast<std::size_t>(c)]) + ", ";
        marks += "?, ";
    }
    columns += "rnamePY, snamePY";
    marks += "?, ?";
    return std::string("insert into ") + waybillTableName(table) + " (" + columns + ") values (" + marks + ")";
}

}

const char *waybillTableName(WaybillTable table)
{
    return table == WaybillTable::PrintList ? "printList" : "printHistory";
}

std::int64_t insertWaybillRow(DbConnection &db, WaybillTable table, const WaybillRow &row)
{
    static const std::string listSql = insertStatement(WaybillTable::PrintList);
    static const std::string historySql = insertStatement(WaybillTable::PrintHistory);

    DbParams params;
    for (int c = WaybillRow::TemplateName; c < WaybillRow::kColumnCount; ++c) {
        if (c == WaybillRow::PrintId)
            continue;
        if (isFigureColumn(c))
            params.values.emplace_back(std::strtod(row.cell(c).c_str(), nullptr));
        else
            params.values.emplace_back(row.cell(c));
    }
    const std::string &rname = row.cell(WaybillRow::ReceiverName);
    const std::string &sname = row.cell(WaybillRow::SenderName);
    params.values.emplace_back(rname.empty() ? std::string() : toPinyin(rname));
    params.values.emplace_back(sname.empty() ? std::string() : toPinyin(sname));

    if (db.execute(table == WaybillTable::PrintList ? listSql : historySql, params) != 1)
        return 0;
    return db.lastInsertId();
}

}
