#pragma once

#include <string>
#include <string_view>

namespace zentra {

// Where the database is: the path of the embedded SQLite file, or the URL of
// a PostgreSQL server's database ("postgresql://user@host:port/dbname", the
// form libpq reads; "postgres://" too). Passwords never travel in these
// texts as we keep them: libpq finds them in ~/.pgpass, $PGPASSWORD or a
// service file.
bool isServerLocation(std::string_view location);

// The parts of a server URL, read the way libpq reads them.
struct ServerLocation {
    bool valid = false;
    std::string error; // why the URL cannot be read
    std::string host;  // name, address or socket folder; empty: libpq's default
    std::string port;
    std::string dbname;
    std::string user;
    bool hasPassword = false;
};
ServerLocation parseServerLocation(std::string_view url);

// The URL without a password written into it (user:password@ or
// password=...): what may be written to config.ini and shown.
std::string withoutPassword(std::string_view url);

// How the status bar and messages name the database: the file's path, or
// "PostgreSQL dbname@host:port" with the user, never the password.
std::string describeLocation(std::string_view location);

// The server's name in messages ("host:port", or the socket folder).
std::string serverName(std::string_view url);

}
