#pragma once

#include "core/data/DbConnection.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zentra {

// Where a statement's rows go while it runs.
class DbRowSink {
public:
    virtual ~DbRowSink() = default;
    virtual void columns(const std::vector<std::string> &names) = 0;
    virtual void row(const DbCells &cells) = 0;
};

// One engine behind DbConnection: the embedded SQLite file or a PostgreSQL
// server. Only core/data sees this; statements reach it through DbConnection.
class DbBackend {
public:
    virtual ~DbBackend() = default;

    // Runs one statement with its parameters; rows go to `sink` (when given),
    // the number of rows changed to `changed`. False on failure, with
    // error() and failure() set.
    virtual bool run(std::string_view sql, const DbParams &params, DbRowSink *sink, int *changed) = 0;
    // Whether the statement compiles; it is kept for its runs.
    virtual bool prepare(std::string_view sql) = 0;
    // Several statements without parameters.
    virtual bool script(std::string_view sql) = 0;

    virtual bool inTransaction() const = 0;
    virtual bool begin(TxMode mode) = 0;
    virtual bool commit() = 0;
    virtual void rollback() = 0;

    virtual std::int64_t lastInsertId() = 0;
    virtual void setBusyTimeout(int milliseconds) = 0;

    const std::string &error() const { return error_; }
    DbFailure failure() const { return failure_; }

protected:
    bool fail(std::string message, DbFailure failure)
    {
        error_ = std::move(message);
        failure_ = failure;
        return false;
    }
    void succeed() { failure_ = DbFailure::None; }

private:
    std::string error_;
    DbFailure failure_ = DbFailure::None;
};

// Opens the engines. On failure null, with the reason in `error`.
std::unique_ptr<DbBackend> openSqliteBackend(const std::string &path, bool create, int busyTimeout,
                                             std::string &error, DbFailure &failure);
std::unique_ptr<DbBackend> openPostgresBackend(const std::string &url, int busyTimeout, std::string &error,
                                               DbFailure &failure);

// Numbers as the rows give them: the shortest text that reads back exactly.
std::string formatReal(double value);

}
