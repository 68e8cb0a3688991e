#include "core/waybill/WaybillSearch.h"

#include <array>
#include <vector>

namespace zentra {
namespace {

// The columns a search looks in, in the order the lists have always used.
constexpr std::array<const char *, 32> kSearchColumns = {
    "templateName", "orderNo",   "expressNo", "printTime", "cargoName", "orderprice", "postfee", "getmoney",
    "rname",        "rcompany",  "rmobile",   "rphone",    "rpost",     "rprovince",  "rcity",   "rdistrict",
    "raddress",     "rnote",     "rnamePY",   "rww",       "sname",     "scompany",   "smobile", "sphone",
    "spost",        "sprovince", "scity",     "sdistrict", "saddress",  "snote",      "snamePY", "sww",
};

bool isFigure(std::string_view column)
{
    return column == "orderprice" || column == "postfee" || column == "getmoney";
}

// The searched columns of row `prefix` ("NEW", "OLD", a table, or none)
// joined into one text; the unit separator keeps the columns apart. Numbers
// become text exactly as LIKE sees them.
std::string joinedColumns(const SqlDialect &d, const std::string &prefix)
{
    std::string sql;
    for (const char *c : kSearchColumns) {
        const std::string column = prefix.empty() ? std::string(c) : prefix + "." + c;
        const std::string text = "coalesce(" + (isFigure(c) ? d.realText(column) : column) + ", '')";
        sql = sql.empty() ? text : d.joinWithSeparator(sql, text);
    }
    return sql;
}

// The server's joined text, as the index holds it and the search asks it.
std::string serverBody(const SqlDialect &d)
{
    return "(" + joinedColumns(d, {}) + ")";
}

// The server writes numbers as SQLite does when they meet text: 15
// significant digits, always a decimal point ("12.0", "1.0e+20"), "Inf",
// no negative zero; SQLite keeps no NaN.
constexpr const char *kRealTextFunction = R"sql(
CREATE OR REPLACE FUNCTION zentra_real_text(x double precision) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
SET extra_float_digits = 0
AS $$
  SELECT CASE
    WHEN x = 'Infinity'::float8 THEN 'Inf'
    WHEN x = '-Infinity'::float8 THEN '-Inf'
    WHEN x = 'NaN'::float8 THEN NULL
    WHEN x = 0 THEN '0.0'
    WHEN strpos(t, '.') > 0 THEN t
    WHEN strpos(t, 'e') > 0 THEN replace(t, 'e', '.0e')
    ELSE t || '.0'
  END
  FROM (SELECT x::text AS t) AS s
$$;
)sql";

// The index: printHistorySearch holds each history row's joined text, the
// trigram table indexes it (external content, so the text is stored once).
// Both change only through these triggers, in the statement that changes the
// history, so they can never disagree with it.
std::string indexScript(const SqlDialect &d)
{
    if (d.isPostgres())
        return std::string("CREATE EXTENSION IF NOT EXISTS pg_trgm;\n") + kRealTextFunction +
               "CREATE INDEX IF NOT EXISTS printHistory_text ON printHistory USING gin (" + serverBody(d) +
               " gin_trgm_ops);\n";
    const std::string newText = joinedColumns(d, "NEW");
    return "CREATE TABLE printHistorySearch (printId INTEGER PRIMARY KEY, body TEXT);\n"
           "CREATE VIRTUAL TABLE printHistoryText USING fts5(body, content='printHistorySearch', "
           "content_rowid='printId', tokenize='trigram', detail='none');\n"
           "CREATE TRIGGER printHistory_search_insert AFTER INSERT ON printHistory BEGIN\n"
           "  INSERT INTO printHistorySearch(printId, body) VALUES (NEW.printId, " +
           newText +
           ");\n"
           "  INSERT INTO printHistoryText(rowid, body) SELECT printId, body FROM printHistorySearch "
           "WHERE printId = NEW.printId;\n"
           "END;\n"
           "CREATE TRIGGER printHistory_search_delete AFTER DELETE ON printHistory BEGIN\n"
           "  INSERT INTO printHistoryText(printHistoryText, rowid, body) SELECT 'delete', printId, body "
           "FROM printHistorySearch WHERE printId = OLD.printId;\n"
           "  DELETE FROM printHistorySearch WHERE printId = OLD.printId;\n"
           "END;\n"
           "CREATE TRIGGER printHistory_search_update AFTER UPDATE ON printHistory BEGIN\n"
           "  INSERT INTO printHistoryText(printHistoryText, rowid, body) SELECT 'delete', printId, body "
           "FROM printHistorySearch WHERE printId = OLD.printId;\n"
           "  DELETE FROM printHistorySearch WHERE printId = OLD.printId;\n"
           "  INSERT INTO printHistorySearch(printId, body) VALUES (NEW.printId, " +
           newText +
           ");\n"
           "  INSERT INTO printHistoryText(rowid, body) SELECT printId, body FROM printHistorySearch "
           "WHERE printId = NEW.printId;\n"
           "END;\n"
           "INSERT INTO printHistorySearch(printId, body) SELECT printId, " +
           joinedColumns(d, "printHistory") +
           " FROM printHistory;\n"
           "INSERT INTO printHistoryText(printHistoryText) VALUES ('rebuild');\n"
           // One segment: later writes then merge nothing large, and a search
           // reads one list per trigram.
           "INSERT INTO printHistoryText(printHistoryText) VALUES ('optimize');\n";
}

// The code points of UTF-8 text, each as its bytes; empty when the text is
// not valid UTF-8.
std::vector<std::string_view> codePoints(std::string_view text, bool &valid)
{
    std::vector<std::string_view> out;
    valid = true;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > text.size()) {
            valid = false;
            return {};
        }
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                valid = false;
                return {};
            }
        out.push_back(text.substr(i, n));
        i += n;
    }
    return out;
}

}

const std::string &waybillTextCondition(const SqlDialect &dialect, std::string_view text)
{
    auto make = [](const SqlDialect &d, bool figures) {
        std::string sql = "(";
        for (const char *c : kSearchColumns) {
            if (isFigure(c) && !figures)
                continue;
            if (sql.size() > 1)
                sql += " or ";
            sql += d.like(isFigure(c) ? d.realText(c) : std::string(c), "?1");
        }
        return sql + ")";
    };
    static const std::string embedded[] = {make(SqlDialect(DbEngineKind::Sqlite), false),
                                           make(SqlDialect(DbEngineKind::Sqlite), true)};
    static const std::string server[] = {make(SqlDialect(DbEngineKind::Postgres), false),
                                         make(SqlDialect(DbEngineKind::Postgres), true)};
    const int figures = numberTextCanMatch(likePattern(text)) ? 1 : 0;
    return dialect.isPostgres() ? server[figures] : embedded[figures];
}

std::string likePattern(std::string_view text)
{
    return "%" + std::string(text) + "%";
}

namespace {

bool hasHistorySearchIndex(DbConnection &db, bool &failed)
{
    DbRows rows;
    if (db.dialect().isPostgres())
        rows = db.query("select 1 from pg_indexes where schemaname = current_schema() and indexname = "
                        "'printhistory_text'");
    else
        rows = db.query("select 1 from sqlite_master where name = 'printHistoryText'");
    failed = !rows.ok;
    return !rows.empty();
}

}

bool createHistorySearchIndex(DbConnection &db)
{
    bool failed = false;
    if (hasHistorySearchIndex(db, failed))
        return true;
    return !failed && db.executeScript(indexScript(db.dialect()));
}

bool ensureHistorySearchIndex(DbConnection &db)
{
    bool failed = false;
    if (hasHistorySearchIndex(db, failed))
        return true;
    if (failed)
        return false;
    Transaction tx(db);
    // Another connection may have made it meanwhile.
    return tx.active() && createHistorySearchIndex(db) && tx.commit();
}

HistoryTextFilter historyTextFilter(const SqlDialect &dialect, std::string_view text)
{
    // Every run of three or more characters between wildcards must appear in
    // the row's text, so every one of its trigrams is in the index. The
    // trigrams are asked for one by one: the index keeps no positions.
    bool valid = false;
    const std::vector<std::string_view> chars = codePoints(text, valid);
    std::string match;
    std::vector<std::string_view> run;
    auto flush = [&] {
        for (std::size_t i = 0; i + 3 <= run.size(); ++i) {
            std::string gram;
            for (std::size_t k = i; k < i + 3; ++k)
                for (char ch : run[k]) {
                    gram += ch;
                    if (ch == '"')
                        gram += '"';
                }
            if (!match.empty())
                match += " AND ";
            match += "\"" + gram + "\"";
        }
        run.clear();
    };
    for (std::string_view c : chars) {
        if (c == "%" || c == "_")
            flush();
        else
            run.push_back(c);
    }
    flush();

    HistoryTextFilter f;
    if (dialect.isPostgres()) {
        // pg_trgm takes the trigrams of the pattern's runs itself; a text
        // without a run of three gains nothing from the index.
        if (valid && !match.empty()) {
            f.sql = dialect.like(serverBody(dialect), "?2");
            f.argument = likePattern(text);
            f.usesIndex = true;
        }
        return f;
    }
    if (valid && !match.empty()) {
        f.sql = "printId in (select rowid from printHistoryText where printHistoryText match ?2)";
        f.argument = match;
        f.usesIndex = true;
    } else {
        // One LIKE over the joined text finds a superset of the 32 LIKEs.
        f.sql = "printId in (select printId from printHistorySearch where body like ?2)";
        f.argument = likePattern(text);
    }
    return f;
}

}
