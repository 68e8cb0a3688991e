#include "core/data/DbConnection.h"

#include "core/data/GbkCollation.h"

#include <charconv>
#include <cstdlib>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentra {
namespace {

const std::string kEmpty;

std::string formatDouble(double v)
{
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

std::string columnText(sqlite3_stmt *stmt, int i)
{
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return std::to_string(sqlite3_column_int64(stmt, i));
    case SQLITE_FLOAT:
        return formatDouble(sqlite3_column_double(stmt, i));
    default: {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
        return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt, i))) : std::string();
    }
    }
}

// Leaves a cached statement ready for its next use.
struct StatementGuard {
    sqlite3_stmt *stmt = nullptr;
    ~StatementGuard()
    {
        if (stmt) {
            sqlite3_reset(stmt);
            sqlite3_clear_bindings(stmt);
        }
    }
};

// More distinct statements than this on one connection are not kept.
constexpr std::size_t kMaxCachedStatements = 64;

}

const std::string &DbRow::text(std::string_view column) const
{
    for (std::size_t i = 0; i < names_->size(); ++i)
        if ((*names_)[i] == column)
            return values_[i];
    return kEmpty;
}

double DbRow::real(std::string_view column) const
{
    return std::strtod(text(column).c_str(), nullptr);
}

std::int64_t DbRow::integer(std::string_view column) const
{
    return std::strtoll(text(column).c_str(), nullptr, 10);
}

DbConnection::~DbConnection()
{
    close();
}

int DbConnection::busyTimeoutMs()
{
    if (const char *env = std::getenv("ZENTRA_BUSY_TIMEOUT_MS"); env && *env) {
        char *end = nullptr;
        const long ms = std::strtol(env, &end, 10);
        if (*end == '\0' && ms > 0 && ms <= 24L * 3600 * 1000)
            return static_cast<int>(ms);
    }
    return kDefaultBusyTimeoutMs;
}

void DbConnection::takeEngineError()
{
    if (!db_) {
        setError("database is not open");
        return;
    }
    const int code = sqlite3_extended_errcode(db_) & 0xFF;
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED) {
        error_ = kDatabaseBusyMessage;
        busy_ = true;
        return;
    }
    error_ = sqlite3_errmsg(db_);
    busy_ = false;
}

bool DbConnection::open(const std::string &path, bool create)
{
    close();
    setError({});
    int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    bool existed = create && ::access(path.c_str(), F_OK) == 0;
    int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        setError(db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
        sqlite3_close(db_);
        db_ = nullptr;
        return false;
    }
    if (create && !existed)
        ::chmod(path.c_str(), 0600);
    sqlite3_busy_timeout(db_, busyTimeoutMs());
    sqlite3_extended_result_codes(db_, 1);
    registerGbkCollation(db_);
    return true;
}

sqlite3_stmt *DbConnection::prepared(std::string_view sql)
{
    std::string key(sql);
    auto it = statements_.find(key);
    if (it != statements_.end())
        return it->second;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    if (!stmt) // only blanks or a comment: nothing to run
        return nullptr;
    if (statements_.size() >= kMaxCachedStatements) {
        for (auto &[text, old] : statements_)
            sqlite3_finalize(old);
        statements_.clear();
    }
    statements_.emplace(std::move(key), stmt);
    return stmt;
}

void DbConnection::close()
{
    for (auto &[text, stmt] : statements_)
        sqlite3_finalize(stmt);
    statements_.clear();
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

namespace {

bool bindAll(sqlite3_stmt *stmt, const DbParams &params)
{
    int i = 1;
    for (const DbValue &v : params.values) {
        int rc = SQLITE_OK;
        if (std::holds_alternative<std::nullptr_t>(v))
            rc = sqlite3_bind_null(stmt, i);
        else if (auto *n = std::get_if<std::int64_t>(&v))
            rc = sqlite3_bind_int64(stmt, i, *n);
        else if (auto *d = std::get_if<double>(&v))
            rc = sqlite3_bind_double(stmt, i, *d);
        else {
            const auto &s = std::get<std::string>(v);
            rc = sqlite3_bind_text(stmt, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
        }
        if (rc != SQLITE_OK)
            return false;
        ++i;
    }
    return true;
}

}

DbRows DbConnection::query(std::string_view sql, const DbParams &params)
{
    DbRows result;
    if (!db_) {
        setError("database is not open");
        result.ok = false;
        result.error = error_;
        return result;
    }
    StatementGuard g;
    g.stmt = prepared(sql);
    if (!g.stmt || !bindAll(g.stmt, params)) {
        if (g.stmt || sqlite3_errcode(db_) != SQLITE_OK)
            takeEngineError();
        else
            setError("empty statement");
        result.ok = false;
        result.error = error_;
        return result;
    }
    int n = sqlite3_column_count(g.stmt);
    for (int i = 0; i < n; ++i)
        result.columns.emplace_back(sqlite3_column_name(g.stmt, i));
    auto names = std::make_shared<const std::vector<std::string>>(result.columns);
    int rc;
    while ((rc = sqlite3_step(g.stmt)) == SQLITE_ROW) {
        std::vector<std::string> row;
        row.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            row.push_back(columnText(g.stmt, i));
        result.rows.emplace_back(names, std::move(row));
    }
    if (rc != SQLITE_DONE) {
        takeEngineError();
        result.ok = false;
        result.error = error_;
    }
    return result;
}

int DbConnection::execute(std::string_view sql, const DbParams &params)
{
    if (!db_) {
        setError("database is not open");
        return -1;
    }
    StatementGuard g;
    g.stmt = prepared(sql);
    if (!g.stmt || !bindAll(g.stmt, params)) {
        if (g.stmt || sqlite3_errcode(db_) != SQLITE_OK)
            takeEngineError();
        else
            setError("empty statement");
        return -1;
    }
    int rc;
    while ((rc = sqlite3_step(g.stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        takeEngineError();
        return -1;
    }
    return sqlite3_changes(db_);
}

bool DbConnection::executeScript(std::string_view sql)
{
    if (!db_) {
        setError("database is not open");
        return false;
    }
    std::string text(sql);
    if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        takeEngineError();
        return false;
    }
    return true;
}

bool DbConnection::begin()
{
    return executeScript("BEGIN IMMEDIATE");
}

bool DbConnection::commit()
{
    return executeScript("COMMIT");
}

void DbConnection::rollback()
{
    // The failure being handled keeps its message.
    const std::string error = error_;
    const bool busy = busy_;
    if (db_ && !sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    error_ = error;
    busy_ = busy;
}

std::int64_t DbConnection::lastInsertId() const
{
    return db_ ? sqlite3_last_insert_rowid(db_) : 0;
}

Transaction::Transaction(DbConnection &db) : db_(db)
{
    active_ = db_.begin();
}

Transaction::~Transaction()
{
    if (active_)
        db_.rollback();
}

bool Transaction::commit()
{
    if (!active_)
        return false;
    active_ = false;
    if (db_.commit())
        return true;
    db_.rollback();
    return false;
}


DbStatement::DbStatement(DbConnection &db, std::string_view sql) : db_(db)
{
    if (!db_.handle() ||
        sqlite3_prepare_v3(db_.handle(), sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                           &stmt_, nullptr) != SQLITE_OK) {
        db_.takeEngineError();
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
}

DbStatement::~DbStatement()
{
    sqlite3_finalize(stmt_);
}

bool DbStatement::start(const DbParams &params)
{
    if (!stmt_)
        return false;
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    if (!bindAll(stmt_, params)) {
        db_.takeEngineError();
        return false;
    }
    return true;
}

int DbStatement::execute(const DbParams &params)
{
    if (!start(params))
        return -1;
    int rc;
    while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        db_.takeEngineError();
        sqlite3_reset(stmt_);
        return -1;
    }
    const int changed = sqlite3_changes(db_.handle());
    sqlite3_reset(stmt_);
    return changed;
}

bool DbStatement::exists(const DbParams &params, bool *failed)
{
    if (failed)
        *failed = false;
    if (!start(params)) {
        if (failed)
            *failed = true;
        return false;
    }
    const int rc = sqlite3_step(stmt_);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        db_.takeEngineError();
        if (failed)
            *failed = true;
    }
    sqlite3_reset(stmt_);
    return rc == SQLITE_ROW;
}

}
