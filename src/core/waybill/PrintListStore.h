#pragma once

#include "core/data/DbConnection.h"
#include "core/waybill/PrintStore.h"
#include "core/waybill/WaybillRow.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zentra {

// The print list's rows as its dialog lists them: every row by express
// number and then `printId`, or with a search text (see WaybillSearch.h) the
// rows found, by express number (ties by `printId`). `ok` as readPrintList.
std::vector<WaybillRow> searchPrintList(DbConnection &db, std::string_view text, bool *ok = nullptr);

// Deletes the rows of `table` with these `printId`s, all or none: the number
// of rows deleted (ids that are not there count nothing), -1 on failure with
// nothing deleted.
int deleteWaybillRows(DbConnection &db, WaybillTable table, const std::vector<std::int64_t> &ids);

// Stores the express number of the print-list row `printId`: false when the
// statement failed or no such row is there.
bool setExpressNo(DbConnection &db, std::int64_t printId, std::string_view expressNo);

// Moves printed rows from the print list to the history, in the order given,
// each keeping its `printId`. Each row moves as one unit (insert and delete in
// a savepoint of its own, the batch committed at the end): it is in exactly
// one of the two tables whatever happens. A failure stops the move; the rows
// moved before it stay moved. Ids no longer in the list are passed over.
struct MoveResult {
    std::vector<std::int64_t> moved;
    bool complete = true; // false: stopped by a failure (see db.lastError())
};
MoveResult movePrintedRows(DbConnection &db, const std::vector<std::int64_t> &ids);

}
