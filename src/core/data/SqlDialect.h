#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zentra {

enum class DbEngineKind { Sqlite, Postgres };

// Whether a LIKE pattern can match a number written as text ("12.0",
// "-1.0e+20", "Inf"): only digits, ".", "+", "-", the letters of "e" and
// "Inf" and the wildcards can. A search whose pattern cannot leaves the
// number columns out, which changes no result and spares the server a
// conversion per row.
bool numberTextCanMatch(std::string_view pattern);

// A JSON array of the texts (UTF-8), for one bound parameter read by
// SqlDialect::textSet.
std::string jsonTextArray(const std::vector<std::string> &texts);

// The column types of our schema, named by what they hold.
enum class DbType {
    Counter,  // auto-increment integer key
    NoCase,   // text compared and ordered with ASCII case ignored
    Text,     // text compared byte by byte
    Real,     // floating-point number
    Integer,  // 64-bit integer
    Bytes,    // byte string (sort keys)
};

// The places where SQLite and PostgreSQL differ, one function each. Every
// statement of the program is written once and asks the dialect for these
// pieces, so both engines give the same rows in the same order:
// - text of NoCase columns is equal, grouped and ordered with ASCII case
//   ignored (SQLite's NOCASE; on the server lower() under the "C" collation,
//   which folds ASCII letters only, whatever the server's locale);
// - LIKE finds substrings with ASCII case ignored, "%" and "_" as wildcards
//   and every other character (a backslash too) as typed;
// - numbers seen as text (by LIKE or ||) are written as SQLite writes them.
class SqlDialect {
public:
    explicit SqlDialect(DbEngineKind engine = DbEngineKind::Sqlite) : engine_(engine) {}

    DbEngineKind engine() const { return engine_; }
    bool isPostgres() const { return engine_ == DbEngineKind::Postgres; }

    // `expr` (a NoCase column or a parameter) as it compares: use it on both
    // sides of "=", and in "group by" and "order by".
    std::string folded(std::string_view expr) const;

    // "`expr` LIKE `pattern`" with the program's LIKE rules. With `escape`
    // (a character), that character makes the next one literal.
    std::string like(std::string_view expr, std::string_view pattern, char escape = 0) const;

    // A Real column's value as text, as LIKE and "||" see it on SQLite
    // ("12.0", "0.5", "1.0e+20").
    std::string realText(std::string_view expr) const;

    // Text concatenation of `a` and the unit separator (char 31) and `b`.
    std::string joinWithSeparator(std::string_view a, std::string_view b) const;

    // A set of integers from one bound parameter holding a JSON array
    // ("[1,2,3]"): "x in (<idSet>)".
    std::string idSet(std::string_view param) const;
    // The same for texts (a JSON array of strings, see jsonTextArray).
    std::string textSet(std::string_view param) const;

    // The database's clock, in whole seconds since 1970.
    std::string epochNow() const;

    // A statement with one parameter (a table name) that gives a row when
    // that table exists.
    std::string tableExistsQuery() const;

    // The column type in a CREATE TABLE; `sequence` names the sequence a
    // counter draws from when several tables share one (server only).
    std::string columnType(DbType type, std::string_view sequence = {}) const;

    // What to run after thousands of rows went into `table` at once, so that
    // the server plans the next statements on them with their true size (its
    // own statistics would catch up only a minute later); nothing on SQLite.
    std::string refreshStatistics(std::string_view table) const;

    // An index's column: NoCase columns are indexed as they compare.
    std::string indexColumn(std::string_view column, DbType type) const;

private:
    DbEngineKind engine_;
};

}
