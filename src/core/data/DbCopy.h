#pragma once

#include <string>
#include <vector>

namespace zentra {

class DataFolder;

// Copies a whole database into another: the embedded file into an empty
// PostgreSQL database, or a server's database back into a new SQLite file.
// Every table of the schema, every row with its ids, in one transaction; the
// counters go on after the highest id. The target is marked unusable (its
// dbInfo row "unusable") before anything is copied and the mark is taken off
// only when the row counts of every table agree at the end, so a copy that
// failed or differs is never taken for a good one (the programs refuse to
// open it).
struct CopyCount {
    std::string table;
    long long source = 0;
    long long target = 0;
};
struct CopyResult {
    bool ok = false;
    std::string error;
    std::vector<CopyCount> counts;
};

// `from` and `to` are database locations (file path or server URL). A file
// target must not exist yet; a server target must hold no table of ours.
CopyResult copyDatabase(const std::string &from, const std::string &to);

// The copy of the data folder's database to `to`, templates included (the
// folder's template files go into a server target's template table). With a
// server target, config.ini's [Database] url is then pointed at it (without
// any password the URL holds).
CopyResult copyFolderDatabase(const DataFolder &folder, const std::string &to);

}
