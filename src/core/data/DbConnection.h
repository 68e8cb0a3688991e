#pragma once

#include "core/data/SqlDialect.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zentra {

// A value bound to a statement parameter ("?" or "?N"). Text is UTF-8.
using DbValue = std::variant<std::nullptr_t, std::int64_t, double, std::string>;

// Builds DbValue lists from plain C++ values: ints, doubles, strings, nullptr.
struct DbParams {
    std::vector<DbValue> values;
    DbParams() = default;
    template <typename... T> DbParams(T &&...v) { (add(std::forward<T>(v)), ...); }

private:
    void add(std::nullptr_t) { values.emplace_back(nullptr); }
    void add(int v) { values.emplace_back(std::int64_t(v)); }
    void add(long v) { values.emplace_back(std::int64_t(v)); }
    void add(long long v) { values.emplace_back(std::int64_t(v)); }
    void add(double v) { values.emplace_back(v); }
    void add(const char *v) { values.emplace_back(std::string(v)); }
    void add(std::string_view v) { values.emplace_back(std::string(v)); }
    void add(const std::string &v) { values.emplace_back(v); }
    void add(std::string &&v) { values.emplace_back(std::move(v)); }
};

// One result row. Fields are read by column name (ASCII case ignored: the
// server folds unquoted names to lower case) and come back as text, as the
// rest of the program expects: NULL reads as empty text, numbers in their
// shortest exact decimal form ("12", "12.5") on either engine.
class DbRow {
public:
    DbRow(std::shared_ptr<const std::vector<std::string>> names, std::vector<std::string> values)
        : names_(std::move(names)), values_(std::move(values))
    {
    }
    // Empty text for a NULL value or an unknown column.
    const std::string &text(std::string_view column) const;
    const std::string &at(std::size_t index) const { return values_.at(index); }
    double real(std::string_view column) const;
    std::int64_t integer(std::string_view column) const;
    std::size_t size() const { return values_.size(); }

private:
    std::shared_ptr<const std::vector<std::string>> names_;
    std::vector<std::string> values_;
};

// Whether two column names are the same as the engines see them: ASCII case
// ignored (the server folds unquoted names to lower case).
bool sameColumnName(std::string_view a, std::string_view b);

class DbRows {
public:
    std::vector<std::string> columns;
    std::vector<DbRow> rows;
    bool ok = true;    // false when the statement failed
    std::string error; // then the failure's message, as lastError() gave it

    bool empty() const { return rows.empty(); }
    std::size_t size() const { return rows.size(); }
    auto begin() const { return rows.begin(); }
    auto end() const { return rows.end(); }
    const DbRow &operator[](std::size_t i) const { return rows[i]; }
};

// The message of every failure that came from another connection holding
// the database longer than the busy timeout (a compaction, a batch, another
// program). It stands in for the engine's own words ("database is locked"),
// which would tell a user nothing.
inline constexpr const char *kDatabaseBusyMessage = "数据库正忙，请稍后再试";

// Why the last statement failed, for callers that act on it: a busy database
// is worth trying again later, a lost connection ends a batch.
enum class DbFailure {
    None,
    Busy,  // another connection holds a lock longer than the busy timeout
    Lost,  // the server went away (or never answered)
    Other, // anything else: the engine's message says what
};

// The cells of one result row while a statement runs (see forEachRow).
class DbCells {
public:
    virtual ~DbCells() = default;
    virtual std::size_t count() const = 0;
    // The cell as DbRow reads it (NULL empty, numbers shortest exact).
    virtual void read(std::size_t index, std::string &out) const = 0;
    virtual bool isNull(std::size_t index) const = 0;
};

class DbBackend;

// The database connection: the embedded SQLite file (data/data.db, through
// SQLite's C API) or a shared PostgreSQL server (through libpq), chosen by the
// location given to open(). Statements are written once for both; where the
// engines differ, dialect() says how (see SqlDialect.h). Each operation opens
// the connection, runs its statements and closes it again; nothing stays open
// between user actions. The core never shows anything: a failure leaves the
// engine's own message in lastError() for the caller to show.
//
// Contention with other connections is handled here and nowhere else: every
// statement and every transaction start waits for the database up to
// busyTimeoutMs(); when that is not enough, the failure is marked busy() and
// its message is kDatabaseBusyMessage.
class DbConnection {
public:
    // How long a statement waits for another connection's lock before it
    // fails as busy: long enough to outlast the compaction of a large
    // database. $ZENTRA_BUSY_TIMEOUT_MS (milliseconds above 0) overrides it.
    static constexpr int kDefaultBusyTimeoutMs = 120000;
    static int busyTimeoutMs();

    DbConnection();
    ~DbConnection();
    DbConnection(const DbConnection &) = delete;
    DbConnection &operator=(const DbConnection &) = delete;

    // Opens the database at `location`: a file path, or a server URL
    // ("postgresql://user@host:port/dbname", see DbLocation.h). With
    // `create`, a missing file is made (owner read/write only); a server's
    // database must exist.
    bool open(const std::string &location, bool create = false);
    bool isOpen() const;
    const std::string &location() const { return location_; }

    DbEngineKind engine() const { return dialect_.engine(); }
    const SqlDialect &dialect() const { return dialect_; }

    // Sets this connection's wait for other connections' locks (see
    // busyTimeoutMs()).
    void setBusyTimeout(int milliseconds);

    // Runs a statement that returns rows. rows.ok is false when it failed.
    DbRows query(std::string_view sql, const DbParams &params = {});

    // Runs a statement and hands each result row to `onRow` as it comes,
    // after `onColumns` got the column names: long lists read straight into
    // their own rows. False when it failed.
    template <typename OnColumns, typename OnRow>
    bool forEachRow(std::string_view sql, const DbParams &params, OnColumns onColumns, OnRow onRow);

    // Runs a statement that returns no rows: the number of rows it changed, or
    // -1 when it failed.
    int execute(std::string_view sql, const DbParams &params = {});

    // Runs several statements without parameters (schema scripts).
    bool executeScript(std::string_view sql);

    // The counter given to the row the last insert made.
    std::int64_t lastInsertId();

    void close();

    const std::string &lastError() const { return error_; }
    DbFailure lastFailure() const { return failure_; }
    // Whether the last failure was another connection holding the database.
    bool busy() const { return failure_ == DbFailure::Busy; }
    // A busy failure's message is always kDatabaseBusyMessage.
    void setError(std::string message, DbFailure failure = DbFailure::Other);
    void clearError();

    DbBackend *backend() const { return backend_.get(); }

private:
    struct RowSink {
        virtual ~RowSink() = default;
        virtual void columns(const std::vector<std::string> &names) = 0;
        virtual void row(const DbCells &cells) = 0;
    };
    bool run(std::string_view sql, const DbParams &params, RowSink *sink, int *changed);

    std::unique_ptr<DbBackend> backend_;
    SqlDialect dialect_;
    std::string location_;
    std::string error_;
    DbFailure failure_ = DbFailure::None;
    int busyTimeout_ = 0; // 0: busyTimeoutMs() when opened

    friend class DbStatement;
};

template <typename OnColumns, typename OnRow>
bool DbConnection::forEachRow(std::string_view sql, const DbParams &params, OnColumns onColumns, OnRow onRow)
{
    struct Sink final : RowSink {
        OnColumns &c;
        OnRow &r;
        Sink(OnColumns &c, OnRow &r) : c(c), r(r) {}
        void columns(const std::vector<std::string> &names) override { c(names); }
        void row(const DbCells &cells) override { r(cells); }
    } sink(onColumns, onRow);
    return run(sql, params, &sink, nullptr);
}

// How a transaction starts. A writer takes the database's write lock at once
// (SQLite's BEGIN IMMEDIATE; on the server one lock all writers queue for), so
// that a look-up and the write that depends on it cannot interleave with
// another writer's. A reader only wants one consistent view.
enum class TxMode { Write, Read };

// Rolls back unless committed: a change of several statements that must not
// half-happen runs inside one of these. Started inside another transaction
// it joins that one: its commit keeps nothing yet, the outer one decides.
class Transaction {
public:
    explicit Transaction(DbConnection &db, TxMode mode = TxMode::Write);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    bool active() const { return active_; }
    bool commit();

private:
    DbConnection &db_;
    bool active_ = false;
    bool joined_ = false;
};

// A savepoint inside a transaction: rolled back to (and released) unless
// released, so one unit of a batch undoes alone without ending the batch.
class Savepoint {
public:
    Savepoint(DbConnection &db, std::string name);
    ~Savepoint();
    Savepoint(const Savepoint &) = delete;
    Savepoint &operator=(const Savepoint &) = delete;

    bool active() const { return active_; }
    bool release();
    // Undoes the work since the savepoint, keeping the message of the
    // failure that led here.
    void rollback();

private:
    DbConnection &db_;
    std::string name_;
    bool active_ = false;
};

// A statement prepared once and run many times (imports of thousands of
// rows). The connection must outlive it. A failure leaves the engine's
// message in the connection's lastError().
class DbStatement {
public:
    DbStatement(DbConnection &db, std::string_view sql);
    ~DbStatement();
    DbStatement(const DbStatement &) = delete;
    DbStatement &operator=(const DbStatement &) = delete;

    bool ok() const { return ok_; }
    // Runs it with `params`: the number of rows changed, -1 on failure.
    int execute(const DbParams &params);
    // Runs it with `params`: whether it gave a row (false also on failure,
    // with `failed` set then).
    bool exists(const DbParams &params, bool *failed = nullptr);

private:
    DbConnection &db_;
    std::string sql_;
    bool ok_ = false;
};

}
