#pragma once

#include "core/data/DbConnection.h"

#include <string>
#include <string_view>

namespace zentra {

// The text search of the print list and the history: a search text T finds
// the rows where any of the 32 searched columns is LIKE '%T%' (so "%" and "_"
// in T are wildcards and ASCII case is ignored), the same rule for both lists.

// The condition over the 32 columns, for a statement whose parameter ?1 is
// bound to likePattern(T). The figure columns are left out when T cannot
// match a number's text (see numberTextCanMatch): the same rows, found
// without a conversion per row.
const std::string &waybillTextCondition(const SqlDialect &dialect, std::string_view text);
std::string likePattern(std::string_view text);

// The history keeps a trigram index of the searched columns joined into one
// text per row. On SQLite: the table printHistorySearch (kept in step with
// the history by triggers) and its FTS5 trigram index printHistoryText; on
// the server: a pg_trgm index over the joined text itself. Made by the
// schema's steps; these make it, and fill it from the table, when a database
// has none yet (an index already there is left alone). False when it could
// not be made (the engine's message is then in db.lastError()).
bool createHistorySearchIndex(DbConnection &db);
bool ensureHistorySearchIndex(DbConnection &db);

// Narrowing of a history search by the index: an expression that selects a
// set of rows holding at least every row the text condition finds, for a
// statement whose parameter ?2 is bound to `argument`. Texts with a run of
// three or more characters between wildcards are looked up in the trigram
// index; shorter ones scan the joined texts instead of the 32 columns (on
// SQLite) or are left to the 32 columns alone (empty `sql`, on the server).
struct HistoryTextFilter {
    std::string sql;      // "printId in (select ...)" or a condition on the joined text
    std::string argument; // bound to ?2
    bool usesIndex = false;
};
HistoryTextFilter historyTextFilter(const SqlDialect &dialect, std::string_view text);

}
