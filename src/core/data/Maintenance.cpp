#include "core/data/Maintenance.h"

#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/GbkCollation.h"
#include "core/data/Schema.h"
#include "core/data/ServerMaintenance.h"
#include "core/data/SqliteBackend.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zentra {
namespace {

using namespace maintenance_text;

// The tables of the schema's first version with their columns: every file
// of ours has them (what later versions add is made when the file is opened).
struct BaseTable {
    std::string name;
    std::vector<std::string> columns;
};

const std::vector<BaseTable> &baseTables()
{
    static const std::vector<BaseTable> tables = [] {
        std::vector<BaseTable> list;
        DbConnection mem;
        if (mem.open(":memory:", true) && createFirstVersionTables(mem))
            for (const DbRow &r : mem.query("select name from sqlite_master where type='table' and name not like "
                                            "'sqlite_%' and sql not like 'CREATE VIRTUAL%' order by name")) {
                BaseTable t{r.at(0), {}};
                for (const DbRow &c : mem.query("select name from pragma_table_info(?)", {t.name}))
                    t.columns.push_back(c.at(0));
                list.push_back(std::move(t));
            }
        return list;
    }();
    return tables;
}

// Copies the whole database `from` into the open connection `to` through
// SQLite's backup API: one write transaction on the target, which ends up page
// for page like the source (and no larger).
bool onlineCopy(sqlite3 *from, sqlite3 *to, std::string &error)
{
    sqlite3_backup *b = sqlite3_backup_init(to, "main", from, "main");
    if (!b) {
        error = sqlite3_errmsg(to);
        return false;
    }
    const int rc = sqlite3_backup_step(b, -1);
    sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE) {
        const int code = rc & 0xFF;
        error = code == SQLITE_BUSY || code == SQLITE_LOCKED ? kDatabaseBusyMessage : sqlite3_errstr(rc);
        return false;
    }
    return true;
}

// Copies database file `from` into a new file made next to `finalPath`,
// checks the copy and renames it over `finalPath`.
bool copyIntoPlace(const std::string &from, const std::string &finalPath, std::string &error)
{
    if (!isWritableFile(finalPath)) {
        error = finalPath + ": the file is read-only";
        return false;
    }
    std::string tmp = finalPath + ".XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) {
        error = finalPath + ": " + std::strerror(errno);
        return false;
    }
    ::close(fd); // an empty file is an empty database to SQLite
    auto discard = [&](const std::string &why) {
        ::unlink(tmp.c_str());
        ::unlink((tmp + "-journal").c_str());
        error = why;
        return false;
    };
    {
        DbConnection src, dst;
        if (!src.open(from))
            return discard(from + ": " + src.lastError());
        if (!dst.open(tmp))
            return discard(tmp + ": " + dst.lastError());
        if (!onlineCopy(sqliteHandle(src), sqliteHandle(dst), error))
            return discard(finalPath + ": " + error);
    }
    if (std::string why = checkDatabaseFile(tmp); !why.empty())
        return discard(why);
    ::chmod(tmp.c_str(), 0600);
    // A journal beside the old file belongs to it, not to the copy.
    ::unlink((finalPath + "-journal").c_str());
    if (std::rename(tmp.c_str(), finalPath.c_str()) != 0)
        return discard(finalPath + ": " + std::strerror(errno));
    return true;
}

bool isDirectory(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder part of a path ("a/b/c" -> "a/b").
std::string parentOf(const std::string &path)
{
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

}

DatabaseCheck checkDatabase(const std::string &path)
{
    using State = DatabaseCheck::State;
    auto damaged = [&](const std::string &why) { return DatabaseCheck{State::Damaged, path + ": " + why}; };
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return damaged(std::strerror(errno));
    if (!S_ISREG(st.st_mode))
        return damaged("not a regular file");
    if (st.st_size == 0)
        return damaged("the file is empty");
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    struct Closer {
        sqlite3 *db;
        ~Closer() { sqlite3_close_v2(db); }
    } closer{db};
    if (rc != SQLITE_OK)
        return damaged(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_busy_timeout(db, DbConnection::busyTimeoutMs());
    // The check reads the indexes, some of which are in the lists' order.
    registerGbkCollation(db);

    auto engineFailure = [&](char *msg) {
        const int code = sqlite3_extended_errcode(db) & 0xFF;
        std::string why = msg ? msg : sqlite3_errmsg(db);
        sqlite3_free(msg);
        if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
            return DatabaseCheck{State::Busy, path + ": " + kDatabaseBusyMessage};
        return damaged(why);
    };
    std::vector<std::string> problems, columns;
    auto collect = [](void *out, int, char **values, char **) {
        static_cast<std::vector<std::string> *>(out)->push_back(values[0] ? values[0] : "");
        return 0;
    };
    char *msg = nullptr;
    if (sqlite3_exec(db, "pragma quick_check", collect, &problems, &msg) != SQLITE_OK)
        return engineFailure(msg);
    if (problems.size() != 1 || problems[0] != "ok")
        return damaged(problems.empty() ? std::string("the check found nothing to read") : problems[0]);
    for (const BaseTable &t : baseTables()) {
        columns.clear();
        // Our own table names, no value from outside.
        const std::string sql = "select name from pragma_table_info('" + t.name + "')";
        if (sqlite3_exec(db, sql.c_str(), collect, &columns, &msg) != SQLITE_OK)
            return engineFailure(msg);
        if (columns.empty())
            return damaged("no table " + t.name);
        for (const std::string &c : t.columns) {
            bool found = false;
            for (const std::string &have : columns)
                found = found || sqlite3_stricmp(have.c_str(), c.c_str()) == 0;
            if (!found)
                return damaged("no column " + c + " in table " + t.name);
        }
    }
    return {};
}

std::string checkDatabaseFile(const std::string &path)
{
    return checkDatabase(path).reason;
}

MaintenanceResult backupDatabase(const DataFolder &folder)
{
    if (folder.isSharedDatabase())
        return backupServerDatabase(folder);
    const std::string target = folder.backupPath();
    if (!isDirectory(parentOf(target)))
        return {false, kBackupFailed, parentOf(target) + ": no such folder"};
    if (std::string why = checkDatabaseFile(folder.databasePath()); !why.empty())
        return {false, kBackupFailed, why};
    std::string error;
    if (!copyIntoPlace(folder.databasePath(), target, error))
        return {false, kBackupFailed, error};
    return {true, kBackupOk, {}};
}

MaintenanceResult restoreDatabase(const DataFolder &folder)
{
    if (folder.isSharedDatabase())
        return restoreServerDatabase(folder);
    const std::string source = folder.backupPath();
    // A backup that is empty, damaged or not ours must not replace the
    // database, whatever state the database is in.
    if (std::string why = checkDatabaseFile(source); !why.empty())
        return {false, kRestoreFailed, why};
    std::string error;
    if (!copyIntoPlace(source, folder.databasePath(), error))
        return {false, kRestoreFailed, error};
    return {true, kRestoreOk, {}};
}

MaintenanceResult restoreDamagedDatabase(const DataFolder &folder)
{
    const std::string dbPath = folder.databasePath();
    const std::string kept = dbPath + ".damaged";
    if (std::string why = checkDatabaseFile(folder.backupPath()); !why.empty())
        return {false, kRestoreFailed, why};
    // A second name for the damaged file: the restore renames the backup's
    // copy over data.db, and the damaged pages stay readable under this one.
    if (fileExists(dbPath)) {
        if (::unlink(kept.c_str()) != 0 && errno != ENOENT)
            return {false, kRestoreFailed, kept + ": " + std::strerror(errno)};
        if (::link(dbPath.c_str(), kept.c_str()) != 0)
            return {false, kRestoreFailed, kept + ": " + std::strerror(errno)};
    }
    MaintenanceResult r = restoreDatabase(folder);
    if (!r.ok)
        ::unlink(kept.c_str());
    return r;
}

MaintenanceResult compactDatabase(const DataFolder &folder)
{
    if (folder.isSharedDatabase())
        return compactServerDatabase(folder);
    const std::string dbPath = folder.databasePath();
    const std::string target = folder.compactTargetPath();
    // The user is told in Chinese what went wrong and with which file; the
    // engine's own words go into the detail.
    auto failed = [&](const std::string &reason, const std::string &detail) {
        return MaintenanceResult{false, std::string(kCompactFailed) + "\n" + reason, detail};
    };
    auto damaged = [&](const std::string &why) {
        return failed("数据库文件“" + dbPath + "”无法读取或已损坏：" + why, dbPath + ": " + why);
    };
    if (!fileExists(dbPath))
        return failed("数据库文件“" + dbPath + "”不存在。", dbPath + ": " + std::strerror(ENOENT));
    if (!isWritableFile(dbPath))
        return failed("数据库文件“" + dbPath + "”是只读的，无法压缩。", dbPath + ": the file is read-only");
    // A target left from an earlier run is never overwritten: it may be the
    // only copy of something. The user decides.
    if (fileExists(target))
        return failed("上次压缩留下的文件“" + target + "”仍然存在。确认不再需要它后，可以删除该文件，然后再压缩。",
                      target + ": the file already exists");

    DbConnection db;
    if (!db.open(dbPath))
        return damaged(db.lastError());
    // The exclusive lock is waited for in the normal locking mode, which lets
    // go of the read lock between tries, so a writer that holds its write
    // lock can still commit and make way. (Waiting in exclusive mode would
    // keep that read lock: the writer could never commit, and both would
    // wait out the busy timeout.) Switched to exclusive mode while holding
    // it, the connection keeps the lock after the commit until it closes:
    // from here on no other connection can read or commit until the
    // compacted pages are back in data.db.
    if (!db.executeScript("BEGIN EXCLUSIVE; PRAGMA locking_mode=EXCLUSIVE; COMMIT;")) {
        if (db.busy())
            return failed("数据库文件“" + dbPath + "”正被其他程序使用，请稍后再试。", dbPath + ": " + db.lastError());
        return damaged(db.lastError());
    }
    DbRows check = db.query("pragma quick_check");
    if (!check.ok)
        return damaged(db.lastError());
    if (check.size() != 1 || check[0].at(0) != "ok")
        return damaged(check.empty() ? std::string("the check found nothing to read") : check[0].at(0));

    if (db.execute("VACUUM INTO ?", {target}) < 0)
        return failed("无法写入压缩文件“" + target + "”。", target + ": " + db.lastError());
    auto discard = [&](const std::string &why) {
        ::unlink(target.c_str());
        return failed("压缩后的文件“" + target + "”检查未通过，数据库保持原样。", why);
    };
    if (std::string why = checkDatabaseFile(target); !why.empty())
        return discard(why);
    std::string error;
    {
        DbConnection compacted;
        if (!compacted.open(target))
            return discard(compacted.lastError());
        if (!onlineCopy(sqliteHandle(compacted), sqliteHandle(db), error))
            return discard(error);
    }
    db.close();
    ::unlink(target.c_str());
    return {true, kCompactOk, {}};
}

}
