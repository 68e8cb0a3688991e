#pragma once

#include "core/data/DbConnection.h"
#include "core/waybill/WaybillRow.h"

#include <cstdint>

namespace zentra {

// The two tables that hold whole waybills: the print list (waiting to be
// printed) and the history (printed).
enum class WaybillTable { PrintList, PrintHistory };

const char *waybillTableName(WaybillTable table);

// Stores `row` as a new row of `table`: every column of the row except
// `printId` (the table gives a new one), the figure columns as numbers (text
// that holds no number stores 0), and the receiver's and sender's name
// initials for searching. Returns the new `printId`, or 0 when nothing was
// stored (the engine's message is then in db.lastError()).
std::int64_t insertWaybillRow(DbConnection &db, WaybillTable table, const WaybillRow &row);

}
