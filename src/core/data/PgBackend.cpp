#include "core/data/DbBackend.h"
#include "core/data/DbLocation.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <libpq-fe.h>
#include <unordered_map>

namespace zentra {
namespace {

// Type numbers of the server's types whose text we rewrite.
constexpr Oid kBoolOid = 16;
constexpr Oid kFloat4Oid = 700;
constexpr Oid kFloat8Oid = 701;

// All writers of one database queue for this lock (transaction-level), as
// SQLite's writers do for the file: a look-up and the write that depends on
// it never interleave with another writer's.
constexpr const char *kWriterLock = "select pg_advisory_xact_lock(1515474516)"; // "ZENT"

using Result = std::unique_ptr<PGresult, void (*)(PGresult *)>;

Result wrap(PGresult *r)
{
    return Result(r, PQclear);
}

// libpq's message without its closing line end, and without the tab it puts
// before a hint's line (which a message box shows as a wide gap).
std::string trimmed(std::string s)
{
    while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    for (std::size_t at = 0; (at = s.find("\n\t", at)) != std::string::npos;)
        s.erase(at + 1, 1);
    return s;
}

// A statement with "?" and "?N" parameters in the server's "$N" form. A plain
// "?" takes the number after the largest so far, as SQLite numbers them.
// Quoted texts, quoted names and comments are left as they are.
std::string numberedParameters(std::string_view sql, int &count, std::vector<bool> &used)
{
    std::string out;
    out.reserve(sql.size() + 8);
    count = 0;
    used.clear();
    for (std::size_t i = 0; i < sql.size();) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {
            std::size_t j = i + 1;
            while (j < sql.size()) {
                if (sql[j] == c) {
                    if (j + 1 < sql.size() && sql[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const std::size_t end = j < sql.size() ? j + 1 : j;
            out.append(sql.substr(i, end - i));
            i = end;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            const std::size_t nl = sql.find('\n', i);
            const std::size_t end = nl == std::string_view::npos ? sql.size() : nl;
            out.append(sql.substr(i, end - i));
            i = end;
        } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
            const std::size_t close = sql.find("*/", i + 2);
            const std::size_t end = close == std::string_view::npos ? sql.size() : close + 2;
            out.append(sql.substr(i, end - i));
            i = end;
        } else if (c == '?') {
            std::size_t j = i + 1;
            int n = 0;
            while (j < sql.size() && sql[j] >= '0' && sql[j] <= '9')
                n = n * 10 + (sql[j++] - '0');
            if (j == i + 1)
                n = count + 1;
            if (n > count)
                count = n;
            if (used.size() < static_cast<std::size_t>(n))
                used.resize(static_cast<std::size_t>(n), false);
            if (n > 0)
                used[static_cast<std::size_t>(n - 1)] = true;
            out += '$';
            out += std::to_string(n);
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

DbFailure failureOf(PGconn *conn, const PGresult *res)
{
    if (PQstatus(conn) != CONNECTION_OK)
        return DbFailure::Lost;
    const char *state = res ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr;
    if (!state)
        return DbFailure::Other;
    const std::string_view s(state);
    // Lock not available in time, deadlock, serialization, cancelled by a timeout.
    if (s == "55P03" || s == "40P01" || s == "40001" || s == "57014")
        return DbFailure::Busy;
    // Connection exceptions, the server shutting down.
    if (s.substr(0, 2) == "08" || s == "57P01" || s == "57P02" || s == "57P03")
        return DbFailure::Lost;
    return DbFailure::Other;
}

std::string messageOf(PGconn *conn, const PGresult *res)
{
    if (res) {
        const char *primary = PQresultErrorField(res, PG_DIAG_MESSAGE_PRIMARY);
        if (primary && *primary)
            return primary;
        const char *all = PQresultErrorMessage(res);
        if (all && *all)
            return trimmed(all);
    }
    return trimmed(PQerrorMessage(conn));
}

class PgCells final : public DbCells {
public:
    PgCells(const PGresult *res, const std::vector<Oid> &types) : res_(res), types_(types) {}
    void at(int row) { row_ = row; }
    std::size_t count() const override { return types_.size(); }
    bool isNull(std::size_t index) const override { return PQgetisnull(res_, row_, static_cast<int>(index)); }
    void read(std::size_t index, std::string &out) const override
    {
        const int c = static_cast<int>(index);
        if (PQgetisnull(res_, row_, c)) {
            out.clear();
            return;
        }
        const char *v = PQgetvalue(res_, row_, c);
        switch (types_[index]) {
        case kFloat4Oid:
        case kFloat8Oid:
            // The server's shortest text reads back as the same number, which
            // we write in our own shortest form, as the embedded engine's
            // numbers are.
            out = formatReal(std::strtod(v, nullptr));
            break;
        case kBoolOid:
            out = *v == 't' ? "1" : "0";
            break;
        default:
            out.assign(v, static_cast<std::size_t>(PQgetlength(res_, row_, c)));
        }
    }

private:
    const PGresult *res_;
    const std::vector<Oid> &types_;
    int row_ = 0;
};

// A bound value as the server reads it from text.
bool parameterText(const DbValue &v, std::string &out)
{
    if (std::holds_alternative<std::nullptr_t>(v))
        return false;
    if (const auto *n = std::get_if<std::int64_t>(&v)) {
        out = std::to_string(*n);
        return true;
    }
    if (const auto *d = std::get_if<double>(&v)) {
        // SQLite keeps no NaN (it stores NULL) and no negative zero.
        if (std::isnan(*d))
            return false;
        if (std::isinf(*d))
            out = *d > 0 ? "Infinity" : "-Infinity";
        else
            out = formatReal(*d == 0 ? 0.0 : *d);
        return true;
    }
    out = std::get<std::string>(v);
    return true;
}

class PgBackend final : public DbBackend {
public:
    explicit PgBackend(PGconn *conn) : conn_(conn) {}
    ~PgBackend() override { PQfinish(conn_); }

    bool run(std::string_view sql, const DbParams &params, DbRowSink *sink, int *changed) override
    {
        const Prepared *p = prepared(sql);
        if (!p)
            return false;
        if (static_cast<int>(params.values.size()) > p->count)
            return fail("bind or column index out of range", DbFailure::Other);
        std::vector<std::string> texts(static_cast<std::size_t>(p->count));
        std::vector<const char *> values(static_cast<std::size_t>(p->count), nullptr);
        for (std::size_t i = 0; i < params.values.size(); ++i)
            if (parameterText(params.values[i], texts[i])) {
                // The server's text holds no NUL: refused, never cut short.
                if (texts[i].find('\0') != std::string::npos)
                    return fail("parameter " + std::to_string(i + 1) + " holds a NUL character, which the server's "
                                "text cannot hold",
                                DbFailure::Other);
                values[i] = texts[i].c_str();
            }
        Result res = wrap(PQexecPrepared(conn_, p->name.c_str(), p->count, values.data(), nullptr, nullptr, 0));
        const ExecStatusType status = res ? PQresultStatus(res.get()) : PGRES_FATAL_ERROR;
        if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
            // A statement prepared before the schema changed under it is
            // made again once.
            const char *state = res ? PQresultErrorField(res.get(), PG_DIAG_SQLSTATE) : nullptr;
            if (state && std::strcmp(state, "0A000") == 0 && !retrying_ && !inTransaction()) {
                statements_.erase(std::string(sql));
                retrying_ = true;
                const bool ok = run(sql, params, sink, changed);
                retrying_ = false;
                return ok;
            }
            return fail(messageOf(conn_, res.get()), failureOf(conn_, res.get()));
        }
        if (sink && status == PGRES_TUPLES_OK) {
            const int n = PQnfields(res.get());
            std::vector<std::string> names;
            std::vector<Oid> types;
            for (int i = 0; i < n; ++i) {
                names.emplace_back(PQfname(res.get(), i));
                types.push_back(PQftype(res.get(), i));
            }
            sink->columns(names);
            PgCells cells(res.get(), types);
            const int rows = PQntuples(res.get());
            for (int r = 0; r < rows; ++r) {
                cells.at(r);
                sink->row(cells);
            }
        }
        if (changed) {
            const char *tuples = PQcmdTuples(res.get());
            *changed = tuples && *tuples ? std::atoi(tuples) : 0;
        }
        if (isInsert(sql))
            inserted_ = true;
        succeed();
        return true;
    }

    bool prepare(std::string_view sql) override { return prepared(sql) != nullptr; }

    bool script(std::string_view sql) override
    {
        const std::string text(sql);
        Result res = wrap(PQexec(conn_, text.c_str()));
        const ExecStatusType status = res ? PQresultStatus(res.get()) : PGRES_FATAL_ERROR;
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_EMPTY_QUERY)
            return fail(messageOf(conn_, res.get()), failureOf(conn_, res.get()));
        succeed();
        return true;
    }

    bool begin(TxMode mode) override
    {
        if (!script("BEGIN"))
            return false;
        if (mode == TxMode::Write && !script(kWriterLock)) {
            const std::string why = error();
            const DbFailure kind = failure();
            rollback();
            return fail(why, kind);
        }
        return true;
    }

    bool commit() override
    {
        Result res = wrap(PQexec(conn_, "COMMIT"));
        const ExecStatusType status = res ? PQresultStatus(res.get()) : PGRES_FATAL_ERROR;
        if (status != PGRES_COMMAND_OK)
            return fail(messageOf(conn_, res.get()), failureOf(conn_, res.get()));
        // COMMIT of a failed transaction answers ROLLBACK: nothing was kept.
        if (std::strcmp(PQcmdStatus(res.get()), "ROLLBACK") == 0)
            return fail("the transaction was rolled back", DbFailure::Other);
        succeed();
        return true;
    }

    void rollback() override
    {
        if (PQtransactionStatus(conn_) != PQTRANS_IDLE)
            PQclear(PQexec(conn_, "ROLLBACK"));
    }

    std::int64_t lastInsertId() override
    {
        // lastval() fails when no counter was drawn on this connection yet;
        // a failure inside a transaction would end it.
        if (!inserted_)
            return 0;
        Result res = wrap(PQexec(conn_, "select lastval()"));
        if (!res || PQresultStatus(res.get()) != PGRES_TUPLES_OK || PQntuples(res.get()) != 1)
            return 0;
        return std::strtoll(PQgetvalue(res.get(), 0, 0), nullptr, 10);
    }

    void setBusyTimeout(int milliseconds) override
    {
        script("set lock_timeout = " + std::to_string(milliseconds < 0 ? 0 : milliseconds));
    }

private:
    struct Prepared {
        std::string name;
        int count = 0;
    };

    bool inTransaction() const override { return PQtransactionStatus(conn_) != PQTRANS_IDLE; }

    static bool isInsert(std::string_view sql)
    {
        std::size_t i = 0;
        while (i < sql.size() && (sql[i] == ' ' || sql[i] == '\n' || sql[i] == '\t'))
            ++i;
        const std::string_view word = sql.substr(i, 6);
        if (word.size() < 6)
            return false;
        for (std::size_t k = 0; k < 6; ++k)
            if ((word[k] | 0x20) != "insert"[k])
                return false;
        return true;
    }

    const Prepared *prepared(std::string_view sql)
    {
        const std::string key(sql);
        auto it = statements_.find(key);
        if (it != statements_.end())
            return &it->second;
        Prepared p;
        std::vector<bool> used;
        const std::string text = numberedParameters(sql, p.count, used);
        p.name = "z" + std::to_string(++serial_);
        // A parameter the statement does not use still takes its bound value
        // (as on SQLite); the server wants a type for it.
        constexpr Oid kTextOid = 25;
        std::vector<Oid> types(static_cast<std::size_t>(p.count), 0);
        for (std::size_t i = 0; i < types.size(); ++i)
            if (i >= used.size() || !used[i])
                types[i] = kTextOid;
        Result res = wrap(PQprepare(conn_, p.name.c_str(), text.c_str(), p.count, types.data()));
        if (!res || PQresultStatus(res.get()) != PGRES_COMMAND_OK) {
            fail(messageOf(conn_, res.get()), failureOf(conn_, res.get()));
            return nullptr;
        }
        return &statements_.emplace(key, std::move(p)).first->second;
    }

    PGconn *conn_;
    std::unordered_map<std::string, Prepared> statements_;
    unsigned serial_ = 0;
    bool inserted_ = false;
    bool retrying_ = false;
};

void ignoreNotice(void *, const char *) {}

}

std::unique_ptr<DbBackend> openPostgresBackend(const std::string &url, int busyTimeout, std::string &error,
                                               DbFailure &failure)
{
    // Our settings come first: what the URL says overrides them. Numbers
    // come in their shortest exact form; a lock waited for longer than the
    // busy timeout fails the statement as Busy.
    const std::string options = "-c extra_float_digits=3 -c lock_timeout=" + std::to_string(busyTimeout);
    const char *keywords[] = {"connect_timeout", "client_encoding", "application_name", "options", "dbname", nullptr};
    const char *values[] = {"10", "UTF8", "zentra", options.c_str(), url.c_str(), nullptr};
    PGconn *conn = PQconnectdbParams(keywords, values, 1);
    if (!conn) {
        error = "out of memory";
        failure = DbFailure::Other;
        return nullptr;
    }
    if (PQstatus(conn) != CONNECTION_OK) {
        error = serverName(url) + ": " + trimmed(PQerrorMessage(conn));
        failure = DbFailure::Lost;
        PQfinish(conn);
        return nullptr;
    }
    PQsetNoticeProcessor(conn, ignoreNotice, nullptr);
    if (std::strcmp(PQparameterStatus(conn, "client_encoding"), "UTF8") != 0) {
        error = serverName(url) + ": the connection does not speak UTF-8";
        failure = DbFailure::Other;
        PQfinish(conn);
        return nullptr;
    }
    return std::make_unique<PgBackend>(conn);
}

}
