#pragma once

#include "core/data/SqlDialect.h"

#include <string>
#include <vector>

namespace zentra {

class DbConnection;
class DataFolder;

// The schema is made and upgraded by numbered steps, all kept in Schema.cpp
// and run at start on either engine; the database's `dbInfo` row
// "schemaVersion" says how far it is. A database made before the steps
// existed has no such row and counts as version 0: its tables are taken as
// they are and the later steps added.
constexpr int kSchemaVersion = 4;

// Brings the database to kSchemaVersion: every missing step in one
// transaction, so an upgrade happens whole or not at all. A database of a
// newer program (a higher version) is refused and left untouched, with a
// message saying so in db.lastError(). A database without any table gets the
// whole schema (no seed rows; see seedNewDatabase).
bool createSchema(DbConnection &db);

// The tables as the schema's first version made them (no later step): what
// every database file of ours holds, whatever its version.
bool createFirstVersionTables(DbConnection &db);

// The database's schema version: 0 before the steps, -1 when it cannot be read.
int schemaVersionOf(DbConnection &db);

// Rows a new database starts with: the "_全部类别_" classes, the region lists,
// default freight rates for the template "tmp_default", the user "admin" with
// an empty password and all its permission rows.
bool seedNewDatabase(DbConnection &db);

// Makes or upgrades the database the data folder names: the embedded file
// (made with schema and seed rows in a temporary file, then renamed into
// place, so a failure leaves no half-made database behind) or a server's
// database (an empty one gets schema and seed rows in one transaction). Also
// makes the folder's layout. False with the reason in `error`; a database that
// is newer than this program, or marked unusable, is refused and left as it is.
bool initDataFolder(const DataFolder &folder, std::string *error = nullptr);

// Opens the database at `location` and makes or upgrades it as
// initDataFolder does (without the folder).
bool initDatabase(const std::string &location, std::string *error = nullptr);

// The tables of our schema with their columns in table order, for copying a
// database and checking a file.
struct SchemaColumn {
    std::string name;
    DbType type;
};
struct SchemaTable {
    std::string name;
    std::vector<SchemaColumn> columns;
    std::string sequence; // the counter's sequence when shared with another table
    int since = 1;        // the schema version that added the table
};
const std::vector<SchemaTable> &schemaTables();

// The "unusable" mark a failed copy leaves on its target (dbInfo row
// "unusable" holding the reason); empty when the database carries none.
std::string unusableMark(DbConnection &db);
bool setUnusableMark(DbConnection &db, const std::string &reason);
bool clearUnusableMark(DbConnection &db);

// The permission rows every user has, in ID order: the four menu groups, then
// the guarded functions at the positions the commands check.
struct PermissionSeed {
    int id;
    int pid;
    const char *caption;
};
extern const PermissionSeed kPermissionSeeds[];
extern const int kPermissionSeedCount;

}
