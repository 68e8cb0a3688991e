#pragma once

#include <string>

namespace zentra {

class DbConnection;
class DataFolder;

// Creates every table the program uses, when missing. Opening an existing
// database never alters it: every statement is "if not exists".
bool createSchema(DbConnection &db);

// Rows a new database starts with: the "_全部类别_" classes, the region lists,
// default freight rates for the template "tmp_default", the user "admin" with
// an empty password and all its permission rows.
bool seedNewDatabase(DbConnection &db);

// Makes the data folder's layout and, when data/data.db is missing, a new
// database with schema and seed rows (built in a temporary file, then renamed
// into place, so a failure leaves no half-made database behind). An existing
// database gets the history's search index when it has none yet.
bool initDataFolder(const DataFolder &folder, std::string *error = nullptr);

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
