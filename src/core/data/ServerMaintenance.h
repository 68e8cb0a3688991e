#pragma once

#include "core/data/Maintenance.h"

#include <string>

namespace zentra {

class DataFolder;

// Backup, restore and compaction of a shared PostgreSQL database, behind the
// commands of Maintenance.h (which choose them for a server's database) with
// the same messages. The backup is pg_dump's custom format in
// backup/backup.dump, written beside the old one and renamed over it;
// restore runs pg_restore in one transaction; compaction is VACUUM (ANALYZE).
// Without the client tools they fail with a message that says so.
std::string serverBackupPath(const DataFolder &folder);
MaintenanceResult backupServerDatabase(const DataFolder &folder);
MaintenanceResult restoreServerDatabase(const DataFolder &folder);
MaintenanceResult compactServerDatabase(const DataFolder &folder);

// The full path of a PostgreSQL client program: from $ZENTRA_PG_BIN when set,
// else from $PATH or the Debian folders; empty when there is none.
std::string findPostgresTool(const std::string &name);

}
