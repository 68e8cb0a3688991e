#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace zentra {

// A value bound to a statement parameter ("?"). Text is UTF-8.
using DbValue = std::variant<std::nullptr_t, std::int64_t, double, std::string>;

// Builds DbValue lists from plain C++ values: ints, doubles, strings, nullptr.
struct DbParams {
    std::vector<DbValue> values;
    DbParams() = default;
    template <typename... T>
    DbParams(T &&...v)
    {
        (add(std::forward<T>(v)), ...);
    }

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

// One result row. Fields are read by column name and come back as text, as the
// rest of the program expects: NULL reads as empty text, numbers in their
// shortest exact decimal form ("12", "12.5").
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

// The database connection (SQLite through its C API). Each operation opens
// it, runs its statements and closes it again; nothing stays open between
// user actions. The core never shows anything: a failure leaves the engine's
// own message in lastError() for the caller to show.
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

    DbConnection() = default;
    ~DbConnection();
    DbConnection(const DbConnection &) = delete;
    DbConnection &operator=(const DbConnection &) = delete;

    // Opens an existing database file. With `create`, a missing file is made
    // (owner read/write only).
    bool open(const std::string &path, bool create = false);
    bool isOpen() const { return db_ != nullptr; }

    // Runs a statement that returns rows. rows.ok is false when it failed.
    DbRows query(std::string_view sql, const DbParams &params = {});

    // Runs a statement that returns no rows: the number of rows it changed, or
    // -1 when it failed.
    int execute(std::string_view sql, const DbParams &params = {});

    // Runs several statements without parameters (schema scripts).
    bool executeScript(std::string_view sql);

    std::int64_t lastInsertId() const;

    // Starts a transaction as a writer: the write lock is taken now (waiting
    // for it up to the busy timeout), not at the first change, so two
    // writers never both read and then find they cannot write.
    bool begin();
    bool commit();
    void rollback();

    void close();

    const std::string &lastError() const { return error_; }
    // Whether the last failure was another connection holding the database.
    bool busy() const { return busy_; }
    void setError(std::string message)
    {
        error_ = std::move(message);
        busy_ = false;
    }
    // Takes the engine's account of the failure that just happened (for code
    // that runs its own statements on handle()).
    void takeEngineError();

    sqlite3 *handle() const { return db_; }

private:
    // Statements are prepared once per connection and reused: a batch of
    // thousands of rows runs the same few statements.
    sqlite3_stmt *prepared(std::string_view sql);

    sqlite3 *db_ = nullptr;
    std::string error_;
    bool busy_ = false;
    std::unordered_map<std::string, sqlite3_stmt *> statements_;
};

// Rolls back unless committed: a change of several statements that must not
// half-happen runs inside one of these.
class Transaction {
public:
    explicit Transaction(DbConnection &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    bool active() const { return active_; }
    bool commit();

private:
    DbConnection &db_;
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

    bool ok() const { return stmt_ != nullptr; }
    // Runs it with `params`: the number of rows changed, -1 on failure.
    int execute(const DbParams &params);
    // Runs it with `params`: whether it gave a row (false also on failure,
    // with `failed` set then).
    bool exists(const DbParams &params, bool *failed = nullptr);

private:
    bool start(const DbParams &params);

    DbConnection &db_;
    sqlite3_stmt *stmt_ = nullptr;
};

}
