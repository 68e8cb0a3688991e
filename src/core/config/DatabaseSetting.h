#pragma once

#include <string>

namespace zentra {

class ConfigFile;
class DataFolder;

// config.ini [Database] url: empty (or missing) for the embedded
// data/data.db, else the shop's PostgreSQL database
// ("postgresql://user@host:port/dbname"). The password is never kept here:
// libpq finds it in ~/.pgpass, $PGPASSWORD or a service file.
std::string readDatabaseUrl(const ConfigFile &config);
// Refuses a URL that holds a password (with the reason in `error`).
bool writeDatabaseUrl(const ConfigFile &config, const std::string &url, std::string *error = nullptr);

// Points the folder at its database: `argument` (the programs' --database)
// when given, else config.ini's url. A URL in config.ini that holds a
// password is refused, with the reason in `error`. A text that is no
// postgresql:// URL names a database file.
bool chooseDatabase(DataFolder &folder, const std::string &argument, std::string *error = nullptr);

}
