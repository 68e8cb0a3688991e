#include "support/TestDatabase.h"

#include "core/data/DbConnection.h"
#include "core/data/DbLocation.h"
#include "core/data/Schema.h"

#include <atomic>
#include <cstdlib>
#include <unistd.h>

namespace zentra::test {

std::string engineName(const ::testing::TestParamInfo<Engine> &info)
{
    return info.param == Engine::Sqlite ? "Sqlite" : "Postgres";
}

void PrintTo(Engine engine, std::ostream *out)
{
    *out << (engine == Engine::Sqlite ? "SQLite" : "PostgreSQL");
}

bool refuseWhen(DbConnection &db, const std::string &table, const std::string &operation, const std::string &condition)
{
    static std::atomic<int> serial{0};
    const std::string name = "refuse_" + std::to_string(++serial);
    if (db.dialect().isPostgres())
        return db.executeScript("create or replace function zentra_test_refuse() returns trigger language plpgsql as "
                                "$$ begin raise exception 'refused'; end $$;"
                                "create trigger " +
                                name + " before " + operation + " on " + table + " for each row when (" + condition +
                                ") execute function zentra_test_refuse();");
    return db.executeScript("create trigger " + name + " before " + operation + " on " + table + " when " + condition +
                            " begin select raise(abort, 'refused'); end;");
}

std::string testServerUrl()
{
    const char *url = std::getenv("ZENTRA_TEST_PG_URL");
    return url ? url : "";
}

namespace {

// The URL of database `name` on the server of `admin`.
std::string urlOfDatabase(const std::string &admin, const std::string &name)
{
    const ServerLocation s = parseServerLocation(admin);
    std::string url = "postgresql://";
    if (!s.user.empty())
        url += s.user + "@";
    url += "/" + name;
    std::string query;
    if (!s.host.empty())
        query += "host=" + s.host;
    if (!s.port.empty())
        query += (query.empty() ? "" : "&") + std::string("port=") + s.port;
    return query.empty() ? url : url + "?" + query;
}

}

ServerDatabase::ServerDatabase()
{
    const std::string admin = testServerUrl();
    if (admin.empty()) {
        error_ = "no PostgreSQL server given (set ZENTRA_TEST_PG_URL)";
        return;
    }
    static std::atomic<int> serial{0};
    name_ = "zentra_test_" + std::to_string(::getpid()) + "_" + std::to_string(++serial);
    DbConnection db;
    if (!db.open(admin)) {
        error_ = db.lastError();
        return;
    }
    db.executeScript("drop database if exists " + name_);
    if (!db.executeScript("create database " + name_ + " encoding 'UTF8' template template0")) {
        error_ = db.lastError();
        return;
    }
    url_ = urlOfDatabase(admin, name_);
}

ServerDatabase::~ServerDatabase()
{
    if (url_.empty())
        return;
    DbConnection db;
    if (db.open(testServerUrl()))
        db.executeScript("drop database if exists " + name_ + " with (force)");
}

EngineTest::EngineTest()
{
    if (onServer() && !testServerUrl().empty())
        server_ = std::make_unique<ServerDatabase>();
}

void EngineTest::SetUp()
{
    if (!onServer())
        return;
    if (!server_)
        GTEST_SKIP() << "no PostgreSQL server given (set ZENTRA_TEST_PG_URL to run the server's cases)";
    ASSERT_TRUE(server_->ok()) << server_->error();
}

DataFolder EngineTest::folderAt(const std::string &root) const
{
    DataFolder folder(root);
    if (server_)
        folder.setDatabase(server_->url());
    return folder;
}

std::string EngineTest::location(const std::string &file) const
{
    return server_ ? server_->url() : file;
}

void FolderEngineTest::SetUp()
{
    EngineTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
        return;
    std::string error;
    ASSERT_TRUE(initDataFolder(folder, &error)) << error;
}

}
