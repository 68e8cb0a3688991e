#pragma once

struct sqlite3;

namespace zentra {

class DbConnection;

// The SQLite handle of an open embedded database, for the file maintenance
// (online backup, quick check); null for a server's database.
sqlite3 *sqliteHandle(DbConnection &db);

}
