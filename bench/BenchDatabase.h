#pragma once

// The database a benchmark runs on: the embedded file of its data folder, or,
// with "--database URL" (a server URL whose user may create databases), a
// new database on that server, dropped again at the end:
//
//   build/bin/bench_history --database "postgresql:///postgres?host=/tmp/pg/sock"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/DbLocation.h"

#include <cstring>
#include <string>
#include <unistd.h>

namespace zentra::bench {

class BenchDatabase {
public:
    // Takes "--database URL" out of the arguments.
    BenchDatabase(int &argc, char **argv)
    {
        for (int i = 1; i + 1 < argc; ++i)
            if (std::strcmp(argv[i], "--database") == 0) {
                admin_ = argv[i + 1];
                for (int k = i; k + 2 <= argc; ++k)
                    argv[k] = argv[k + 2];
                argc -= 2;
                break;
            }
        if (admin_.empty())
            return;
        name_ = "zentra_bench_" + std::to_string(::getpid());
        DbConnection db;
        if (!db.open(admin_) || !db.executeScript("create database " + name_ + " template template0")) {
            error_ = db.lastError();
            return;
        }
        const ServerLocation s = parseServerLocation(admin_);
        url_ = "postgresql://" + (s.user.empty() ? std::string() : s.user + "@") + "/" + name_;
        std::string query;
        if (!s.host.empty())
            query += "host=" + s.host;
        if (!s.port.empty())
            query += (query.empty() ? "" : "&") + std::string("port=") + s.port;
        if (!query.empty())
            url_ += "?" + query;
    }
    ~BenchDatabase()
    {
        if (url_.empty() || std::getenv("ZENTRA_BENCH_KEEP"))
            return;
        DbConnection db;
        if (db.open(admin_))
            db.executeScript("drop database if exists " + name_ + " with (force)");
    }

    bool ok() const { return admin_.empty() || !url_.empty(); }
    const std::string &error() const { return error_; }
    bool onServer() const { return !url_.empty(); }
    const char *engine() const { return onServer() ? "PostgreSQL" : "SQLite"; }

    // Points the folder at the benchmark's database.
    void use(DataFolder &folder) const
    {
        if (onServer())
            folder.setDatabase(url_);
    }

private:
    std::string admin_, name_, url_, error_;
};

}
