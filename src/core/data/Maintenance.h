#pragma once

#include <string>

namespace zentra {

class DataFolder;

// What the three commands tell, the same on either engine.
namespace maintenance_text {
inline constexpr const char *kBackupOk = "数据库备份成功!";
inline constexpr const char *kBackupFailed = "数据库备份失败!";
inline constexpr const char *kRestoreOk = "数据库还原成功!";
inline constexpr const char *kRestoreFailed = "数据库还原失败!";
inline constexpr const char *kCompactOk = "数据库压缩和修复成功!";
inline constexpr const char *kCompactFailed = "数据库压缩失败!";
}

// Outcome of a maintenance command: whether it worked and the message the user
// is shown ("数据库备份成功!", or the engine's own description of a failure).
struct MaintenanceResult {
    bool ok = false;
    std::string message;
    std::string detail; // why a backup or restore failed, for logs and the command line
};

// Whether a file can stand for our database: it opens, passes SQLite's
// quick check and holds every table of our schema with every column. A file
// that another connection holds past the busy timeout is Busy, not Damaged:
// nothing is known about it then.
struct DatabaseCheck {
    enum class State { Good, Damaged, Busy };
    State state = State::Good;
    std::string reason; // "PATH: why"; empty when Good
    bool good() const { return state == State::Good; }
};
DatabaseCheck checkDatabase(const std::string &path);

// The reason of checkDatabase, empty when the file is good.
std::string checkDatabaseFile(const std::string &path);

// With a shared PostgreSQL database the three commands work on the server
// instead (see ServerMaintenance.h), with the same messages.

// Copies data/data.db to backup/backup.bak with SQLite's online backup, so the
// copy is consistent even while the database is in use. The backup folder is
// not created: without it the backup fails. An empty or damaged database is
// not backed up, and the copy is written beside backup.bak, checked, then
// renamed over it: a good backup is never replaced by a bad one, and a damaged
// backup.bak does not stand in the way of a new one.
MaintenanceResult backupDatabase(const DataFolder &folder);

// Replaces data/data.db by a checked copy of backup/backup.bak, written beside
// it and renamed into place, so a missing or damaged data.db can be restored. A
// missing, empty or damaged backup, or a read-only data.db, leaves the
// database as it was.
MaintenanceResult restoreDatabase(const DataFolder &folder);

// The restore offered when the program finds data/data.db damaged at start:
// the damaged file is kept as data/data.db.damaged (replacing an older one),
// then restoreDatabase runs. Should the restore fail, data.db is as it was.
MaintenanceResult restoreDamagedDatabase(const DataFolder &folder);

// Compacts data/data.db into data/backup.db (VACUUM INTO), then copies the
// compacted pages back into data.db through SQLite, which shrinks the file. An
// exclusive lock on data.db is held from before the VACUUM until the copy is
// complete, so no other process can commit a change that the copy would wipe
// out. A data/backup.db left from an earlier failure makes the command fail
// and changes nothing; so does a damaged or read-only data.db. A failure's
// message is "数据库压缩失败!" and, on the next line, the reason in Chinese
// naming the file (a leftover backup.db: that it can be deleted); the
// engine's words are in the detail.
MaintenanceResult compactDatabase(const DataFolder &folder);

}
