#pragma once

#include <string>

namespace zentra {

class DataFolder;

// Outcome of a maintenance command: whether it worked and the message the user
// is shown ("数据库备份成功!", or the engine's own description of a failure).
struct MaintenanceResult {
    bool ok = false;
    std::string message;
};

// Copies data/data.db to backup/backup.bak with SQLite's online backup, so the
// copy is consistent even while the database is in use. The backup folder is
// not created: without it the backup fails.
MaintenanceResult backupDatabase(const DataFolder &folder);

// Copies backup/backup.bak over data/data.db. A missing or unreadable backup
// leaves the database unchanged.
MaintenanceResult restoreDatabase(const DataFolder &folder);

// Compacts data/data.db into data/backup.db (VACUUM INTO), then replaces
// data/data.db by it. A data/backup.db left from an earlier failure makes the
// command fail with the engine's message and changes nothing.
MaintenanceResult compactDatabase(const DataFolder &folder);

}
