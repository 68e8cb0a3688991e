#include "core/data/SqliteBackend.h"

#include "core/data/DbBackend.h"
#include "core/data/GbkCollation.h"

#include <charconv>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace zentra {

std::string formatReal(double value)
{
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

namespace {

DbFailure failureOf(int rc)
{
    switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DbFailure::Busy;
    default:
        return DbFailure::Other;
    }
}

class SqliteCells final : public DbCells {
public:
    explicit SqliteCells(sqlite3_stmt *stmt) : stmt_(stmt), count_(static_cast<std::size_t>(sqlite3_column_count(stmt)))
    {
    }
    std::size_t count() const override { return count_; }
    bool isNull(std::size_t index) const override
    {
        return sqlite3_column_type(stmt_, static_cast<int>(index)) == SQLITE_NULL;
    }
    void read(std::size_t index, std::string &out) const override
    {
        const int i = static_cast<int>(index);
        switch (sqlite3_column_type(stmt_, i)) {
        case SQLITE_NULL:
            out.clear();
            break;
        case SQLITE_INTEGER:
            out = std::to_string(sqlite3_column_int64(stmt_, i));
            break;
        case SQLITE_FLOAT:
            out = formatReal(sqlite3_column_double(stmt_, i));
            break;
        default: {
            const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt_, i));
            if (p)
                out.assign(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, i)));
            else
                out.clear();
        }
        }
    }

private:
    sqlite3_stmt *stmt_;
    std::size_t count_;
};

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

class SqliteBackend final : public DbBackend {
public:
    explicit SqliteBackend(sqlite3 *db) : db_(db) {}
    ~SqliteBackend() override
    {
        for (auto &[text, stmt] : statements_)
            sqlite3_finalize(stmt);
        sqlite3_close_v2(db_);
    }

    sqlite3 *handle() const { return db_; }

    bool run(std::string_view sql, const DbParams &params, DbRowSink *sink, int *changed) override
    {
        StatementGuard g;
        g.stmt = prepared(sql);
        if (!g.stmt)
            return false;
        if (!bindAll(g.stmt, params))
            return failNow();
        if (sink) {
            const int n = sqlite3_column_count(g.stmt);
            std::vector<std::string> names;
            names.reserve(static_cast<std::size_t>(n));
            for (int i = 0; i < n; ++i)
                names.emplace_back(sqlite3_column_name(g.stmt, i));
            sink->columns(names);
        }
        const SqliteCells cells(g.stmt);
        int rc;
        while ((rc = sqlite3_step(g.stmt)) == SQLITE_ROW)
            if (sink)
                sink->row(cells);
        if (rc != SQLITE_DONE)
            return failNow();
        if (changed)
            *changed = sqlite3_changes(db_);
        succeed();
        return true;
    }

    bool prepare(std::string_view sql) override { return prepared(sql) != nullptr; }

    bool script(std::string_view sql) override
    {
        char *msg = nullptr;
        const std::string text(sql);
        const int rc = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &msg);
        if (rc != SQLITE_OK) {
            std::string why = msg ? msg : sqlite3_errmsg(db_);
            sqlite3_free(msg);
            return fail(std::move(why), failureOf(sqlite3_extended_errcode(db_)));
        }
        succeed();
        return true;
    }

    bool inTransaction() const override { return sqlite3_get_autocommit(db_) == 0; }
    bool begin(TxMode mode) override { return script(mode == TxMode::Write ? "BEGIN IMMEDIATE" : "BEGIN"); }
    bool commit() override { return script("COMMIT"); }
    void rollback() override
    {
        if (!sqlite3_get_autocommit(db_))
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }

    std::int64_t lastInsertId() override { return sqlite3_last_insert_rowid(db_); }
    void setBusyTimeout(int milliseconds) override { sqlite3_busy_timeout(db_, milliseconds); }

private:
    bool failNow() { return fail(sqlite3_errmsg(db_), failureOf(sqlite3_extended_errcode(db_))); }

    // Statements are prepared once per connection and reused: a batch of
    // thousands of rows runs the same few statements.
    sqlite3_stmt *prepared(std::string_view sql)
    {
        std::string key(sql);
        auto it = statements_.find(key);
        if (it != statements_.end())
            return it->second;
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK) {
            sqlite3_finalize(stmt);
            failNow();
            return nullptr;
        }
        if (!stmt) { // only blanks or a comment: nothing to run
            fail("empty statement", DbFailure::Other);
            return nullptr;
        }
        if (statements_.size() >= kMaxCachedStatements) {
            for (auto &[text, old] : statements_)
                sqlite3_finalize(old);
            statements_.clear();
        }
        statements_.emplace(std::move(key), stmt);
        return stmt;
    }

    sqlite3 *db_;
    std::unordered_map<std::string, sqlite3_stmt *> statements_;
};

}

std::unique_ptr<DbBackend> openSqliteBackend(const std::string &path, bool create, int busyTimeout,
                                             std::string &error, DbFailure &failure)
{
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    const bool existed = create && ::access(path.c_str(), F_OK) == 0;
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        failure = failureOf(rc);
        sqlite3_close(db);
        return nullptr;
    }
    if (create && !existed)
        ::chmod(path.c_str(), 0600);
    sqlite3_busy_timeout(db, busyTimeout);
    sqlite3_extended_result_codes(db, 1);
    // Databases made by earlier versions have name indexes in this order.
    registerGbkCollation(db);
    return std::make_unique<SqliteBackend>(db);
}

sqlite3 *sqliteHandle(DbConnection &db)
{
    auto *b = dynamic_cast<SqliteBackend *>(db.backend());
    return b ? b->handle() : nullptr;
}

}
