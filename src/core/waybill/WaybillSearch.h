#pragma once

#include "core/data/DbConnection.h"

#include <string>
#include <string_view>

namespace zentra {

// The text search of the print list and the history: a search text T finds
// the rows where any of the 32 searched columns is LIKE '%T%' (so "%" and "_"
// in T are wildcards and ASCII case is ignored), the same rule for both lists.

// The condition over the 32 columns, for a statement whose parameter ?1 is
// bound to likePattern(T).
const std::string &waybillTextCondition();
std::string likePattern(std::string_view text);

// The history keeps a trigram index of the searched columns (one text per
// row, kept in step with the table by triggers). Makes it, and fills it from
// the table, when the database has none yet; an index already there is left
// alone. False when it could not be made (the engine's message is then in
// db.lastError()).
bool ensureHistorySearchIndex(DbConnection &db);

// Narrowing of a history search by the index: an expression that selects a
// set of `printId`s holding at least every row the text condition finds, for
// a statement whose parameter ?2 is bound to `argument`. Texts with a run of
// three or more characters between wildcards are looked up in the trigram
// index; shorter ones scan the indexed texts instead of the 32 columns.
struct HistoryTextFilter {
    std::string sql;      // "printId in (select ...)"
    std::string argument; // bound to ?2
    bool usesIndex = false;
};
HistoryTextFilter historyTextFilter(std::string_view text);

}
