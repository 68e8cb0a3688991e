#include "core/data/DbCopy.h"

#include "core/config/DataFolder.h"
#include "core/config/DatabaseSetting.h"
#include "core/config/ConfigFile.h"
#include "core/data/DbConnection.h"
#include "core/data/DbLocation.h"
#include "core/data/Schema.h"
#include "core/templates/TemplateSync.h"

#include <unistd.h>

namespace zentra {

namespace {

// Rows per insert statement while copying.
constexpr int kRowsPerInsert = 200;

std::string lower(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The column a table's rows are read in, so that the copy keeps their order
// (the tables without a counter are read in their codes' or names' order).
std::string orderOf(const SchemaTable &t)
{
    for (const SchemaColumn &c : t.columns)
        if (c.type == DbType::Counter)
            return c.name;
    return t.columns.front().name;
}

bool copyTable(DbConnection &from, DbConnection &to, const SchemaTable &t, std::string &error)
{
    std::string columns;
    for (const SchemaColumn &c : t.columns)
        columns += (columns.empty() ? "" : ", ") + c.name;
    const std::string head = "insert into " + t.name + "(" + columns + ") values ";
    const std::size_t width = t.columns.size();
    DbParams batch;
    int rows = 0;
    bool ok = true;
    auto flush = [&] {
        if (rows == 0 || !ok)
            return;
        std::string sql = head;
        for (int r = 0; r < rows; ++r) {
            sql += r ? ",(" : "(";
            for (std::size_t c = 0; c < width; ++c)
                sql += c ? ",?" : "?";
            sql += ")";
        }
        if (to.execute(sql, batch) != rows) {
            error = t.name + ": " + to.lastError();
            ok = false;
        }
        batch.values.clear();
        rows = 0;
    };
    std::string cell;
    const bool read = from.forEachRow(
        "select " + columns + " from " + t.name + " order by " + orderOf(t), {},
        [](const std::vector<std::string> &) {},
        [&](const DbCells &cells) {
            for (std::size_t c = 0; c < width; ++c) {
                if (cells.isNull(c)) {
                    batch.values.emplace_back(nullptr);
                    continue;
                }
                cells.read(c, cell);
                // Text as text; the target's column types take numbers from it.
                batch.values.emplace_back(cell);
            }
            if (++rows == kRowsPerInsert)
                flush();
        });
    flush();
    if (!read) {
        error = t.name + ": " + from.lastError();
        return false;
    }
    return ok;
}

// The server's counters go on after the highest id copied (SQLite's follow
// the ids inserted by themselves).
bool resetCounters(DbConnection &db, std::string &error)
{
    if (!db.dialect().isPostgres())
        return true;
    for (const SchemaTable &t : schemaTables())
        for (const SchemaColumn &c : t.columns) {
            if (c.type != DbType::Counter || !t.sequence.empty())
                continue;
            const std::string sql = "select setval(pg_get_serial_sequence('" + lower(t.name) + "', '" +
                                    lower(c.name) + "'), coalesce(max(" + c.name + "), 0) + 1, false) from " + t.name;
            if (!db.query(sql).ok) {
                error = db.lastError();
                return false;
            }
        }
    if (!db.query("select setval('printIdSeq', greatest((select coalesce(max(printId), 0) from printList), "
                  "(select coalesce(max(printId), 0) from printHistory)) + 1, false)")
             .ok) {
        error = db.lastError();
        return false;
    }
    return true;
}

long long countOf(DbConnection &db, const std::string &table, bool &ok)
{
    DbRows rows = db.query("select count(*) from " + table);
    ok = rows.ok && !rows.empty();
    return ok ? std::stoll(rows[0].at(0)) : -1;
}

}

CopyResult copyDatabase(const std::string &fromLocation, const std::string &toLocation)
{
    CopyResult r;
    auto fail = [&r](std::string why) {
        r.ok = false;
        r.error = std::move(why);
        return r;
    };
    DbConnection from, to;
    if (!from.open(fromLocation))
        return fail(fromLocation + ": " + from.lastError());
    std::string error;
    // The source as the program reads it (an older file is upgraded first).
    if (!createSchema(from))
        return fail(describeLocation(fromLocation) + ": " + from.lastError());

    const bool server = isServerLocation(toLocation);
    if (!server && fileExists(toLocation))
        return fail(toLocation + ": the file exists already; the copy goes into a new file");
    if (!to.open(toLocation, true))
        return fail(describeLocation(toLocation) + ": " + to.lastError());
    if (server) {
        DbRows have = to.query(to.dialect().tableExistsQuery(), {std::string("receiver")});
        if (!have.ok)
            return fail(describeLocation(toLocation) + ": " + to.lastError());
        if (!have.empty())
            return fail(describeLocation(toLocation) + ": the database is not empty");
    }

    // The schema and the mark first, committed: whatever happens later, the
    // target cannot be taken for a good copy.
    {
        Transaction tx(to);
        if (!tx.active() || !createSchema(to) || !setUnusableMark(to, "the copy from " +
                                                                          describeLocation(fromLocation) +
                                                                          " is not complete") ||
            !tx.commit())
            return fail(describeLocation(toLocation) + ": " + to.lastError());
    }
    {
        Transaction read(from, TxMode::Read);
        Transaction write(to);
        if (!read.active())
            return fail(describeLocation(fromLocation) + ": " + from.lastError());
        if (!write.active())
            return fail(describeLocation(toLocation) + ": " + to.lastError());
        for (const SchemaTable &t : schemaTables()) {
            if (t.name == "dbInfo")
                continue; // the target keeps its own version and mark
            if (!copyTable(from, to, t, error))
                return fail(error);
        }
        if (!resetCounters(to, error))
            return fail(error);
        if (!write.commit())
            return fail(describeLocation(toLocation) + ": " + to.lastError());
    }

    bool same = true;
    for (const SchemaTable &t : schemaTables()) {
        if (t.name == "dbInfo")
            continue;
        bool ok1 = false, ok2 = false;
        CopyCount c{t.name, countOf(from, t.name, ok1), countOf(to, t.name, ok2)};
        if (!ok1 || !ok2)
            return fail(t.name + ": " + (ok1 ? to.lastError() : from.lastError()));
        same = same && c.source == c.target;
        r.counts.push_back(c);
    }
    if (!same) {
        setUnusableMark(to, "the row counts differ from " + describeLocation(fromLocation));
        return fail("the row counts of the copy differ; the copy is marked unusable");
    }
    if (!clearUnusableMark(to))
        return fail(describeLocation(toLocation) + ": " + to.lastError());
    r.ok = true;
    return r;
}

CopyResult copyFolderDatabase(const DataFolder &folder, const std::string &to)
{
    CopyResult r = copyDatabase(folder.databasePath(), to);
    if (!r.ok || !isServerLocation(to))
        return r;
    DataFolder target = folder;
    target.setDatabase(to);
    if (const TemplateSyncResult s = syncTemplates(target); !s.ok) {
        r.ok = false;
        r.error = "templates: " + s.error;
        return r;
    }
    std::string error;
    if (!writeDatabaseUrl(ConfigFile(folder.configPath()), withoutPassword(to), &error)) {
        r.ok = false;
        r.error = "config.ini: " + error;
    }
    return r;
}

}
