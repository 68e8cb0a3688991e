#include "core/data/SqlDialect.h"

namespace zentra {

bool numberTextCanMatch(std::string_view pattern)
{
    for (const char c : pattern) {
        const char l = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        const bool fits = (l >= '0' && l <= '9') || l == '.' || l == '+' || l == '-' || l == 'e' || l == 'i' ||
                          l == 'n' || l == 'f' || l == '%' || l == '_';
        if (!fits)
            return false;
    }
    return true;
}

std::string jsonTextArray(const std::vector<std::string> &texts)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out = "[";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        out += i ? ",\"" : "\"";
        for (const char c : texts[i]) {
            const auto u = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                out += '\\';
                out += c;
            } else if (u < 0x20) {
                out += "\\u00";
                out += kHex[u >> 4];
                out += kHex[u & 15];
            } else {
                out += c;
            }
        }
        out += '"';
    }
    return out + "]";
}

std::string SqlDialect::folded(std::string_view expr) const
{
    // On the server lower() under "C" changes ASCII letters only, as NOCASE.
    if (isPostgres())
        return "lower((" + std::string(expr) + ") collate \"C\")";
    return std::string(expr);
}

std::string SqlDialect::like(std::string_view expr, std::string_view pattern, char escape) const
{
    std::string sql(expr);
    if (isPostgres()) {
        // ILIKE under "C" ignores ASCII case only; without ESCAPE a backslash
        // would escape the next character.
        sql = "(" + sql + ") collate \"C\" ilike " + std::string(pattern);
        sql += escape ? std::string(" escape '") + escape + "'" : std::string(" escape ''");
        return sql;
    }
    sql += " like " + std::string(pattern);
    if (escape)
        sql += std::string(" escape '") + escape + "'";
    return sql;
}

std::string SqlDialect::realText(std::string_view expr) const
{
    // SQLite converts the number itself where text is wanted; the server's
    // function (made with the schema) writes it the same way.
    if (isPostgres())
        return "zentra_real_text(" + std::string(expr) + ")";
    return std::string(expr);
}

std::string SqlDialect::joinWithSeparator(std::string_view a, std::string_view b) const
{
    return std::string(a) + (isPostgres() ? " || chr(31) || " : " || char(31) || ") + std::string(b);
}

std::string SqlDialect::idSet(std::string_view param) const
{
    if (isPostgres())
        return "select cast(value as bigint) from json_array_elements_text(cast(" + std::string(param) + " as json))";
    return "select value from json_each(" + std::string(param) + ")";
}

std::string SqlDialect::textSet(std::string_view param) const
{
    if (isPostgres())
        return "select value from json_array_elements_text(cast(" + std::string(param) + " as json))";
    return "select value from json_each(" + std::string(param) + ")";
}

std::string SqlDialect::epochNow() const
{
    if (isPostgres())
        return "cast(extract(epoch from now()) as bigint)";
    return "cast(strftime('%s', 'now') as integer)";
}

std::string SqlDialect::tableExistsQuery() const
{
    if (isPostgres())
        return "select 1 from information_schema.tables where table_schema = current_schema() "
               "and table_name = lower(?)";
    return "select 1 from sqlite_master where type in ('table', 'view') and name = ? collate nocase";
}

std::string SqlDialect::columnType(DbType type, std::string_view sequence) const
{
    if (isPostgres()) {
        switch (type) {
        case DbType::Counter:
            return sequence.empty() ? "bigserial primary key"
                                    : "bigint primary key default nextval('" + std::string(sequence) + "')";
        case DbType::NoCase:
        case DbType::Text:
            return "text collate \"C\"";
        case DbType::Real:
            return "double precision";
        case DbType::Integer:
            return "bigint";
        case DbType::Bytes:
            return "bytea";
        }
        return {};
    }
    switch (type) {
    case DbType::Counter:
        return "INTEGER PRIMARY KEY AUTOINCREMENT";
    case DbType::NoCase:
        return "TEXT COLLATE NOCASE";
    case DbType::Text:
        return "TEXT";
    case DbType::Real:
        return "REAL";
    case DbType::Integer:
        return "INTEGER";
    case DbType::Bytes:
        return "BLOB";
    }
    return {};
}

std::string SqlDialect::refreshStatistics(std::string_view table) const
{
    return isPostgres() ? "analyze " + std::string(table) : std::string();
}

std::string SqlDialect::indexColumn(std::string_view column, DbType type) const
{
    return type == DbType::NoCase && isPostgres() ? "lower(" + std::string(column) + ")" : std::string(column);
}

}
