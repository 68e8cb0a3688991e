#include "core/users/UserLogin.h"

#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

using zentra::AppState;
using zentra::DbConnection;
using zentra::UserLogin;

namespace {

class UserLoginTest : public zentra::test::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(zentra::initDataFolder(folder));
        ASSERT_TRUE(db.open(folder.databasePath()));
    }

    void addUser(const std::string &name, const std::string &pwd, const char *loginTime)
    {
        if (loginTime)
            ASSERT_EQ(db.execute("insert into userLogin(user_id, user_pwd, user_loginTime) values(?, ?, ?)",
                                 {name, pwd, loginTime}),
                      1);
        else
            ASSERT_EQ(
                db.execute("insert into userLogin(user_id, user_pwd, user_loginTime) values(?, ?, NULL)", {name, pwd}),
                1);
    }

    void addPermission(const std::string &user, int id, const std::string &value)
    {
        ASSERT_EQ(db.execute("insert into userPermission(user_id, ID, PID, Caption, permission) values(?, ?, 0, ?, ?)",
                             {user, id, "item" + std::to_string(id), value}),
                  1);
    }

    std::string loginTimeOf(const std::string &user)
    {
        auto rows = db.query("select user_loginTime from userLogin where user_id = ?", {user});
        return rows.empty() ? "?" : rows[0].text("user_loginTime");
    }

    zentra::test::TempDir dir;
    zentra::DataFolder folder{folderAt(dir.path())};
    DbConnection db;
    UserLogin logins{folder.databasePath()};
};

ZENTRA_ON_BOTH_ENGINES(UserLoginTest);

TEST_P(UserLoginTest, OutcomesOfNameAndPassword)
{
    addUser("packer", "secret", "2026-01-01 08:00:00");
    addUser("o'neil", "it's", nullptr);
    struct Case {
        std::string name, password;
        UserLogin::Result result;
        std::string currentUser; // after the attempt
    };
    const Case cases[] = {
        {"admin", "", UserLogin::Result::Ok, "admin"},
        {"ADMIN", "", UserLogin::Result::Ok, "admin"}, // the stored spelling becomes current
        {"admin", "x", UserLogin::Result::WrongPassword, "before"},
        {"packer", "Secret", UserLogin::Result::WrongPassword, "before"},
        {"packer", "secret", UserLogin::Result::Ok, "packer"},
        {"o'neil", "it's", UserLogin::Result::Ok, "o'neil"},
        {"", "", UserLogin::Result::EmptyName, "before"},
        {"nobody", "", UserLogin::Result::UnknownUser, "before"},
        {"admin' --", "", UserLogin::Result::UnknownUser, "before"},
    };
    for (const Case &c : cases) {
        AppState state;
        state.currentUser = "before";
        state.permissions.fill(7);
        EXPECT_EQ(logins.login(c.name, c.password, "2026-05-05 10:00:00", state), c.result) << c.name;
        EXPECT_EQ(state.currentUser, c.currentUser) << c.name;
        if (c.result != UserLogin::Result::Ok) {
            EXPECT_EQ(state.permissions[0], 7) << "flags untouched after a refused login: " << c.name;
        }
    }
}

TEST_P(UserLoginTest, SuccessfulLoginStampsOnlyThatUser)
{
    addUser("packer", "pw", "2026-01-01 08:00:00");
    AppState state;
    ASSERT_EQ(logins.login("admin", "", "2026-05-05 10:11:12", state), UserLogin::Result::Ok);
    EXPECT_EQ(loginTimeOf("admin"), "2026-05-05 10:11:12");
    EXPECT_EQ(loginTimeOf("packer"), "2026-01-01 08:00:00");

    ASSERT_EQ(logins.login("packer", "wrong", "2026-06-06 00:00:00", state), UserLogin::Result::WrongPassword);
    EXPECT_EQ(loginTimeOf("packer"), "2026-01-01 08:00:00");
}

TEST_P(UserLoginTest, UsersOfferedByLastLoginNeverLoggedInLast)
{
    addUser("b", "", "2026-03-01 09:00:00");
    addUser("c", "", "2026-03-02 09:00:00");
    addUser("a", "", "2025-12-31 23:59:59");
    // admin is seeded without a login time.
    EXPECT_EQ(logins.usersByLastLogin(), (std::vector<std::string>{"c", "b", "a", "admin"}));

    AppState state;
    ASSERT_EQ(logins.login("admin", "", "2026-04-01 00:00:00", state), UserLogin::Result::Ok);
    EXPECT_EQ(logins.usersByLastLogin().front(), "admin");
}

TEST_P(UserLoginTest, SeededAdministratorHoldsEveryGuardedFunction)
{
    AppState state;
    ASSERT_EQ(logins.login("admin", "", "2026-05-05 10:00:00", state), UserLogin::Result::Ok);
    for (int k = 0; k < zentra::kPermissionSeedCount; ++k)
        EXPECT_TRUE(state.allowed(k)) << k;
    for (int k = zentra::kPermissionSeedCount; k < AppState::kPermissionCount; ++k)
        EXPECT_FALSE(state.allowed(k)) << "no row, no right: " << k;
}

TEST_P(UserLoginTest, FlagsFollowIdOrderAndValueReading)
{
    addUser("u", "", nullptr);
    // Inserted out of order: the flags follow ID, not insertion.
    struct Row {
        int id;
        const char *value;
        unsigned char flag; // expected flag at the row's position
    };
    const Row rows[] = {
        {30, "1", 1}, {10, "0", 0}, {20, "2", 1}, {40, "yes", 0}, {50, "", 0}, {60, " 1", 1}, {70, "-1", 1},
    };
    for (const Row &r : rows)
        addPermission("u", r.id, r.value);
    std::array<unsigned char, AppState::kPermissionCount> flags;
    flags.fill(9);
    ASSERT_TRUE(logins.readPermissions("u", flags));
    const unsigned char expected[] = {0, 1, 1, 0, 0, 1, 1}; // IDs 10, 20, ... 70
    for (std::size_t k = 0; k < std::size(expected); ++k)
        EXPECT_EQ(flags[k], expected[k]) << k;
    for (std::size_t k = std::size(expected); k < flags.size(); ++k)
        EXPECT_EQ(flags[k], 0) << k;
}

TEST_P(UserLoginTest, RowsPastTheFiftiethAreIgnored)
{
    addUser("many", "", nullptr);
    for (int id = 1; id <= 60; ++id)
        addPermission("many", id, id <= 50 ? (id % 2 ? "1" : "0") : "1");
    AppState state;
    ASSERT_EQ(logins.login("many", "", "2026-05-05 10:00:00", state), UserLogin::Result::Ok);
    for (int k = 0; k < AppState::kPermissionCount; ++k)
        EXPECT_EQ(state.allowed(k), k % 2 == 0) << k;
}

TEST(UserLoginFailure, MissingDatabaseIsReportedNotCrashed)
{
    zentra::test::TempDir dir;
    UserLogin logins(dir.file("absent/data.db"));
    AppState state;
    EXPECT_EQ(logins.login("admin", "", "2026-05-05 10:00:00", state), UserLogin::Result::DbError);
    EXPECT_FALSE(logins.error().empty());
    EXPECT_TRUE(logins.usersByLastLogin().empty());
    EXPECT_TRUE(state.currentUser.empty());
}

TEST(UserLoginTime, LocalTimeHasTheStoredShape)
{
    std::string now = zentra::localTimeNow();
    ASSERT_EQ(now.size(), 19u);
    EXPECT_EQ(now[4], '-');
    EXPECT_EQ(now[10], ' ');
    EXPECT_EQ(now[13], ':');
}

}
