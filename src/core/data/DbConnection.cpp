#include "core/data/DbConnection.h"

#include "core/data/DbBackend.h"
#include "core/data/DbLocation.h"

#include <cstdlib>

namespace zentra {
namespace {

const std::string kEmpty;

}

bool sameColumnName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

const std::string &DbRow::text(std::string_view column) const
{
    for (std::size_t i = 0; i < names_->size(); ++i)
        if ((*names_)[i] == column)
            return values_[i];
    for (std::size_t i = 0; i < names_->size(); ++i)
        if (sameColumnName((*names_)[i], column))
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

DbConnection::DbConnection() = default;

DbConnection::~DbConnection()
{
    close();
}

bool DbConnection::open(const std::string &location, bool create)
{
    close();
    clearError();
    location_ = location;
    std::string error;
    DbFailure failure = DbFailure::Other;
    const int wait = busyTimeout_ > 0 ? busyTimeout_ : busyTimeoutMs();
    if (isServerLocation(location)) {
        dialect_ = SqlDialect(DbEngineKind::Postgres);
        backend_ = openPostgresBackend(location, wait, error, failure);
    } else {
        dialect_ = SqlDialect(DbEngineKind::Sqlite);
        backend_ = openSqliteBackend(location, create, wait, error, failure);
    }
    if (!backend_) {
        setError(error, failure);
        return false;
    }
    return true;
}

bool DbConnection::isOpen() const
{
    return backend_ != nullptr;
}

void DbConnection::setBusyTimeout(int milliseconds)
{
    busyTimeout_ = milliseconds;
    if (backend_)
        backend_->setBusyTimeout(milliseconds);
}

void DbConnection::close()
{
    backend_.reset();
}

void DbConnection::setError(std::string message, DbFailure failure)
{
    error_ = failure == DbFailure::Busy ? std::string(kDatabaseBusyMessage) : std::move(message);
    failure_ = failure;
}

void DbConnection::clearError()
{
    error_.clear();
    failure_ = DbFailure::None;
}

bool DbConnection::run(std::string_view sql, const DbParams &params, RowSink *sink, int *changed)
{
    if (!backend_) {
        setError("database is not open");
        return false;
    }
    struct Adapter final : DbRowSink {
        RowSink *to;
        explicit Adapter(RowSink *to) : to(to) {}
        void columns(const std::vector<std::string> &names) override { to->columns(names); }
        void row(const DbCells &cells) override { to->row(cells); }
    } adapter(sink);
    if (!backend_->run(sql, params, sink ? &adapter : nullptr, changed)) {
        setError(backend_->error(), backend_->failure());
        return false;
    }
    return true;
}

DbRows DbConnection::query(std::string_view sql, const DbParams &params)
{
    DbRows result;
    std::shared_ptr<const std::vector<std::string>> names;
    result.ok = forEachRow(
        sql, params,
        [&](const std::vector<std::string> &columns) {
            result.columns = columns;
            names = std::make_shared<const std::vector<std::string>>(columns);
        },
        [&](const DbCells &cells) {
            std::vector<std::string> row(cells.count());
            for (std::size_t i = 0; i < row.size(); ++i)
                cells.read(i, row[i]);
            result.rows.emplace_back(names, std::move(row));
        });
    if (!result.ok) {
        result.rows.clear();
        result.error = error_;
    }
    return result;
}

int DbConnection::execute(std::string_view sql, const DbParams &params)
{
    int changed = 0;
    if (!run(sql, params, nullptr, &changed))
        return -1;
    return changed;
}

bool DbConnection::executeScript(std::string_view sql)
{
    if (!backend_) {
        setError("database is not open");
        return false;
    }
    if (!backend_->script(sql)) {
        setError(backend_->error(), backend_->failure());
        return false;
    }
    return true;
}

std::int64_t DbConnection::lastInsertId()
{
    return backend_ ? backend_->lastInsertId() : 0;
}

Transaction::Transaction(DbConnection &db, TxMode mode) : db_(db)
{
    if (!db_.backend()) {
        db_.setError("database is not open");
        return;
    }
    // Inside a transaction already: this one joins it, and the outer one
    // decides whether the work is kept.
    if (db_.backend()->inTransaction()) {
        joined_ = true;
        active_ = true;
        return;
    }
    active_ = db_.backend()->begin(mode);
    if (!active_)
        db_.setError(db_.backend()->error(), db_.backend()->failure());
}

Transaction::~Transaction()
{
    if (active_ && !joined_ && db_.backend())
        db_.backend()->rollback();
}

bool Transaction::commit()
{
    if (!active_ || !db_.backend())
        return false;
    active_ = false;
    if (joined_)
        return true;
    if (db_.backend()->commit())
        return true;
    db_.setError(db_.backend()->error(), db_.backend()->failure());
    db_.backend()->rollback();
    return false;
}

Savepoint::Savepoint(DbConnection &db, std::string name) : db_(db), name_(std::move(name))
{
    active_ = db_.executeScript("SAVEPOINT " + name_);
}

Savepoint::~Savepoint()
{
    if (active_)
        rollback();
}

bool Savepoint::release()
{
    if (!active_)
        return false;
    active_ = false;
    return db_.executeScript("RELEASE " + name_);
}

void Savepoint::rollback()
{
    if (!active_)
        return;
    active_ = false;
    const std::string why = db_.lastError();
    const DbFailure failure = db_.lastFailure();
    db_.executeScript("ROLLBACK TO " + name_ + "; RELEASE " + name_);
    db_.setError(why, failure);
}

DbStatement::DbStatement(DbConnection &db, std::string_view sql) : db_(db), sql_(sql)
{
    if (!db_.backend()) {
        db_.setError("database is not open");
        return;
    }
    ok_ = db_.backend()->prepare(sql_);
    if (!ok_)
        db_.setError(db_.backend()->error(), db_.backend()->failure());
}

DbStatement::~DbStatement() = default;

int DbStatement::execute(const DbParams &params)
{
    if (!ok_)
        return -1;
    return db_.execute(sql_, params);
}

bool DbStatement::exists(const DbParams &params, bool *failed)
{
    if (failed)
        *failed = false;
    bool found = false;
    const bool ok =
        ok_ && db_.forEachRow(
                   sql_, params, [](const std::vector<std::string> &) {}, [&](const DbCells &) { found = true; });
    if (!ok && failed)
        *failed = true;
    return ok && found;
}

}
