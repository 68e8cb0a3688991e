#include "core/data/Maintenance.h"

#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"

#include <cstdio>
#include <sqlite3.h>
#include <sys/stat.h>

namespace zentra {
namespace {

// Copies the whole database `from` into `to` through SQLite's backup API.
bool onlineCopy(const std::string &from, const std::string &to, bool createTarget, std::string *error)
{
    DbConnection src, dst;
    if (!src.open(from) || !dst.open(to, createTarget)) {
        if (error)
            *error = src.isOpen() ? dst.lastError() : src.lastError();
        return false;
    }
    sqlite3_backup *b = sqlite3_backup_init(dst.handle(), "main", src.handle(), "main");
    if (!b) {
        if (error)
            *error = sqlite3_errmsg(dst.handle());
        return false;
    }
    int rc = sqlite3_backup_step(b, -1);
    sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE) {
        if (error)
            *error = sqlite3_errstr(rc);
        return false;
    }
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

MaintenanceResult backupDatabase(const DataFolder &folder)
{
    const std::string target = folder.backupPath();
    if (!isDirectory(parentOf(target)) || !fileExists(folder.databasePath()))
        return {false, "数据库备份失败!"};
    if (!onlineCopy(folder.databasePath(), target, true, nullptr))
        return {false, "数据库备份失败!"};
    ::chmod(target.c_str(), 0600);
    return {true, "数据库备份成功!"};
}

MaintenanceResult restoreDatabase(const DataFolder &folder)
{
    const std::string source = folder.backupPath();
    if (!fileExists(source) || !fileExists(folder.databasePath()))
        return {false, "数据库还原失败!"};
    // A file that is not a database must not replace the live one: check it
    // opens and reads before copying anything.
    {
        DbConnection probe;
        if (!probe.open(source) || !probe.query("select count(*) from sqlite_master").ok)
            return {false, "数据库还原失败!"};
    }
    // The backup API writes the target in one transaction, so a failure part
    // way leaves the database as it was.
    if (!onlineCopy(source, folder.databasePath(), false, nullptr))
        return {false, "数据库还原失败!"};
    return {true, "数据库还原成功!"};
}

MaintenanceResult compactDatabase(const DataFolder &folder)
{
    const std::string dbPath = folder.databasePath();
    const std::string target = folder.compactTargetPath();
    DbConnection db;
    if (!db.open(dbPath))
        return {false, db.lastError()};
    // VACUUM INTO refuses an existing target with the engine's own message.
    if (db.execute("VACUUM INTO ?", {target}) < 0)
        return {false, db.lastError()};
    db.close();
    ::chmod(target.c_str(), 0600);
    // rename() replaces data.db in one step: there is never a moment without it.
    if (std::rename(target.c_str(), dbPath.c_str()) != 0)
        return {false, "cannot replace " + dbPath};
    return {true, "数据库压缩和修复成功!"};
}

}
