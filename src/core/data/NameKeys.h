#pragma once

#include "core/data/SqlDialect.h"

#include <string>
#include <vector>

namespace zentra {

class DbConnection;

// The books list names in the order of their GBK bytes (pinyin order for the
// common names). Each book keeps a sort key beside the name (gbkSortKey of
// GbkCollation.h), so both engines order by a plain column and an index: the
// lists come as "order by rnameKey, rID". The key column is left empty by
// anything that writes a name without it (an SQLite shell, a server's
// console, an older program); a trigger empties it when the name changes
// without it. Empty keys are filled in before a list is read.
struct NameKeyColumns {
    const char *table;
    const char *idColumn;
    const char *nameColumn;
    const char *keyColumn;
};
const std::vector<NameKeyColumns> &nameKeyColumns();

// The key column of `table`'s names, or null when the table has none.
const NameKeyColumns *nameKeyOf(const std::string &table);

// The trigger that empties a key when its name changes alone.
std::string nameKeyTriggerScript(const SqlDialect &dialect, const NameKeyColumns &columns);

// Fills the empty keys of every book (or of `table` only). False when a
// statement failed (the engine's message is in db.lastError()).
bool fillMissingNameKeys(DbConnection &db);
bool fillMissingNameKeys(DbConnection &db, const std::string &table);

}
