#pragma once

#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace zentra::test {

// The engines the database suites run on.
enum class Engine { Sqlite, Postgres };
std::string engineName(const ::testing::TestParamInfo<Engine> &info);
void PrintTo(Engine engine, std::ostream *out);

// The test server given by $ZENTRA_TEST_PG_URL (a URL of any database of
// it, whose user may create databases); empty when none is given.
std::string testServerUrl();

// A new, empty database on the test server, dropped again when this goes.
class ServerDatabase {
public:
    ServerDatabase();
    ~ServerDatabase();
    ServerDatabase(const ServerDatabase &) = delete;
    ServerDatabase &operator=(const ServerDatabase &) = delete;

    bool ok() const { return !url_.empty(); }
    const std::string &url() const { return url_; }
    const std::string &error() const { return error_; }

private:
    std::string name_;
    std::string url_;
    std::string error_;
};

// Makes `operation` ("insert", "delete", "update" or "update of COLUMN") on
// `table` fail with the message "refused" for the rows where `condition`
// holds (NEW. and OLD. name the row): a failure in the middle of a batch, on
// either engine. False (with the reason in db.lastError()) when it could not
// be set up.
bool refuseWhen(DbConnection &db, const std::string &table, const std::string &operation, const std::string &condition);

// The base of suites that run on both engines, one parameterised suite: the
// embedded SQLite file, or a new database on the test server. Without a
// server the server's cases are skipped, saying why. A suite's SetUp calls
// this one first and returns when the case is skipped.
class EngineTest : public ::testing::TestWithParam<Engine> {
protected:
    // The server's database is made here, so that the suite's members can
    // be built on it.
    EngineTest();
    void SetUp() override;

    bool onServer() const { return GetParam() == Engine::Postgres; }
    // A data folder at `root` on this case's database (on SQLite: its own
    // embedded file).
    DataFolder folderAt(const std::string &root) const;
    // This case's database for a connection of its own: the server's
    // database, or `file` on SQLite.
    std::string location(const std::string &file) const;

private:
    std::unique_ptr<ServerDatabase> server_;
};

// A suite on a new, seeded data folder on this case's database. A suite that
// sets up more calls this SetUp first and returns when the case is skipped
// or failed.
class FolderEngineTest : public EngineTest {
protected:
    void SetUp() override;

    TempDir dir;
    DataFolder folder{folderAt(dir.file("shop"))};
};

}

// Runs the suite's cases on both engines.
#define ZENTRA_ON_BOTH_ENGINES(Suite)                                                                                  \
    INSTANTIATE_TEST_SUITE_P(Engines, Suite,                                                                           \
                             ::testing::Values(::zentra::test::Engine::Sqlite, ::zentra::test::Engine::Postgres),      \
                             ::zentra::test::engineName)
