#pragma once

#include "core/data/DbConnection.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zentra {

// One waybill row of `printList` or `printHistory`, held as the 48 cells of
// the print list's grid: cell 0 is the check box (empty text), cell 1 the row
// number, cells 2..47 the table's columns in the grid's fixed order. Every
// cell is text, as the grid shows it.
struct WaybillRow {
    static constexpr int kColumnCount = 48;

    // Grid column numbers the program refers to by name.
    enum Column : int {
        Check = 0,
        RowNumber = 1,
        TemplateName = 2,
        ReceiverName = 3,
        SenderName = 4,
        OrderNo = 5,
        ExpressNo = 6,
        PrintTime = 7,
        TradeTime = 8,
        CargoName = 9,
        ProtectMoney = 16,
        PrintId = 17,
        ReceiverMobile = 18,
        ReceiverProvince = 20,
        ReceiverCity = 21,
        SenderMobile = 33,
        SenderProvince = 35,
        SenderCity = 36,
        SenderSignature = 47,
    };

    std::array<std::string, kColumnCount> cells;
    bool ticked = false;

    const std::string &cell(int column) const { return cells.at(static_cast<std::size_t>(column)); }
    std::string &cell(int column) { return cells.at(static_cast<std::size_t>(column)); }
    std::int64_t printId() const;
};

// The table column behind each grid column; empty for the check box and the
// row number.
const std::array<std::string_view, WaybillRow::kColumnCount> &waybillColumnNames();

// Builds a row from a result row of "select * from printList|printHistory";
// `index` is the row's 0-based position in the list (the row number is index+1).
WaybillRow waybillRowFrom(const DbRow &row, std::size_t index);

// The rows of a "select *" of either table, numbered from 1 in their order,
// read straight into rows (the
// fast way for long lists). `ok` (when given) is false when the statement
// failed; the engine's message is then in db.lastError().
std::vector<WaybillRow> queryWaybillRows(DbConnection &db, std::string_view sql, const DbParams &params = {},
                                         bool *ok = nullptr);

// Every row of `printList`, ordered by express number and then by `printId`,
// as the print list shows them. `ok` (when given) is false when the statement
// failed; the engine's message is then in db.lastError().
std::vector<WaybillRow> readPrintList(DbConnection &db, bool *ok = nullptr);

// The rows to print in a batch: the ticked rows (mode 2) or all rows (mode 3),
// in list order. Any other mode gives none.
std::vector<const WaybillRow *> rowsToPrint(const std::vector<WaybillRow> &rows, int mode);

}
