#include "core/users/UserAccounts.h"

#include "core/config/AppState.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/users/PasswordHash.h"
#include "core/users/UserLogin.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

using zentra::AppState;
using zentra::DbConnection;
using zentra::UserAccounts;
using zentra::UserLogin;
using R = zentra::UserAccounts::Result;

namespace {

class UserAccountsTest : public zentra::test::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        std::string error;
        ASSERT_TRUE(zentra::initDataFolder(folder, &error)) << error;
    }

    std::vector<std::string> column(const std::string &sql, const zentra::DbParams &params = {})
    {
        DbConnection db;
        EXPECT_TRUE(db.open(folder.databasePath()));
        std::vector<std::string> out;
        for (const auto &row : db.query(sql, params))
            out.push_back(row.at(0));
        return out;
    }

    std::string flagsOf(const std::string &user, const std::string &password)
    {
        AppState state;
        if (logins.login(user, password, "2026-03-01 10:00:00", state) != UserLogin::Result::Ok)
            return "refused";
        std::string s;
        for (unsigned char f : state.permissions)
            s += f ? '1' : '0';
        return s;
    }

    zentra::test::TempDir dir;
    zentra::DataFolder folder{folderAt(dir.path())};
    UserAccounts accounts{folder.databasePath()};
    UserLogin logins{folder.databasePath()};
};

ZENTRA_ON_BOTH_ENGINES(UserAccountsTest);

TEST_P(UserAccountsTest, PasswordsAreKeptOnlyAsHashes)
{
    ASSERT_EQ(accounts.addUser("packer", "s3cret", "s3cret", "2026-03-01 09:00:00"), R::Ok);
    ASSERT_EQ(accounts.addUser("o'neil", "它's", "它's", "2026-03-01 09:00:00"), R::Ok);
    ASSERT_EQ(accounts.changePassword("packer", "s3cret", "n3w", "n3w"), R::Ok);
    for (const std::string &stored : column("select user_pwd from userLogin")) {
        EXPECT_TRUE(zentra::isPasswordHash(stored)) << stored;
        for (const char *pw : {"s3cret", "n3w", "它's"})
            EXPECT_EQ(stored.find(pw), std::string::npos) << pw;
    }
    // The built-in administrator still logs in with its empty password.
    EXPECT_EQ(flagsOf("admin", ""), std::string(26, '1') + std::string(24, '0'));
    EXPECT_EQ(flagsOf("admin", "x"), "refused");
    EXPECT_EQ(flagsOf("o'neil", "它's").size(), 50u);
}

TEST_P(UserAccountsTest, AnOldTextPasswordLogsInOnceAndIsThenAHash)
{
    {
        DbConnection db;
        ASSERT_TRUE(db.open(folder.databasePath()));
        ASSERT_EQ(db.execute("insert into userLogin(user_id, user_pwd) values('old', 'plain')"), 1);
    }
    EXPECT_EQ(flagsOf("old", "PLAIN"), "refused");
    EXPECT_EQ(column("select user_pwd from userLogin where user_id = 'old'"), std::vector<std::string>{"plain"});
    EXPECT_NE(flagsOf("old", "plain"), "refused");
    const auto stored = column("select user_pwd from userLogin where user_id = 'old'");
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_TRUE(zentra::isPasswordHash(stored[0]));
    EXPECT_NE(flagsOf("old", "plain"), "refused");
    // A stored value that merely looks like the prefix is not taken for a hash.
    EXPECT_FALSE(zentra::isPasswordHash("$argon2i$v=19$m=1"));
    EXPECT_FALSE(zentra::checkPassword(nullptr, "").match);
}

TEST_P(UserAccountsTest, ANewUserHasTheAdministratorsTreeWithEveryRightDenied)
{
    ASSERT_EQ(accounts.addUser("packer", "pw", "pw", "2026-03-01 09:00:00"), R::Ok);
    const auto users = accounts.users();
    ASSERT_EQ(users.size(), 2u);
    EXPECT_EQ(users[1].name, "packer");
    EXPECT_EQ(users[1].lastLogin, "2026-03-01 09:00:00");
    EXPECT_EQ(flagsOf("packer", "pw"), std::string(50, '0'));
    EXPECT_EQ(column("select Caption from userPermission where user_id = 'packer' order by ID"),
              column("select Caption from userPermission where user_id = 'admin' order by ID"));
}

TEST_P(UserAccountsTest, RefusalsChangeNothing)
{
    ASSERT_EQ(accounts.addUser("packer", "pw", "pw", "t"), R::Ok);
    const auto before = column("select user_id || user_pwd from userLogin order by user_id");
    const auto rightsBefore = column("select user_id || ID || permission from userPermission order by user_id, ID");
    struct Case {
        const char *what;
        R got, expected;
    };
    const Case cases[] = {
        {"add without name", accounts.addUser("", "pw", "pw", "t"), R::EmptyName},
        {"add, empty password", accounts.addUser("x", "", "", "t"), R::BadPassword},
        {"add, unconfirmed", accounts.addUser("x", "pw", "pW", "t"), R::BadPassword},
        {"add existing", accounts.addUser("PACKER", "pw", "pw", "t"), R::AlreadyExists},
        {"delete admin", accounts.deleteUser("admin"), R::AdminUndeletable},
        {"delete Admin", accounts.deleteUser("Admin"), R::AdminUndeletable},
        {"delete unknown", accounts.deleteUser("nobody"), R::NoSuchUser},
        {"wrong old password", accounts.changePassword("packer", "PW", "a", "a"), R::WrongOldPassword},
        {"unknown user's password", accounts.changePassword("nobody", "", "a", "a"), R::WrongOldPassword},
        {"empty new password", accounts.changePassword("packer", "pw", "", ""), R::BadNewPassword},
        {"unconfirmed new password", accounts.changePassword("packer", "pw", "a", "b"), R::BadNewPassword},
        {"grant admin", accounts.grant("admin", "新快递单", false), R::AdminFixed},
        {"grant nobody chosen", accounts.grant("", "新快递单", true), R::NoUserChosen},
        {"grant unknown user", accounts.grant("nobody", "新快递单", true), R::NoSuchUser},
        {"grant unknown item", accounts.grant("packer", "飞行", true), R::NoSuchPermission},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.got, c.expected) << c.what;
        EXPECT_STRNE(zentra::userAccountsMessage(c.got), "") << c.what;
    }
    EXPECT_EQ(column("select user_id || user_pwd from userLogin order by user_id"), before);
    EXPECT_EQ(column("select user_id || ID || permission from userPermission order by user_id, ID"), rightsBefore);
}

TEST_P(UserAccountsTest, NamesAreTrimmedAndLookAlikesRefused)
{
    ASSERT_EQ(accounts.addUser("Packer", "pw", "pw", "t"), R::Ok);
    const auto before = column("select user_id from userLogin order by user_id");
    struct Case {
        const char *name;
        R expected;
    };
    const Case refused[] = {
        {"admin ", R::AlreadyExists},
        {" admin", R::AlreadyExists},
        {"\t admin \xE3\x80\x80", R::AlreadyExists},              // tab, ideographic space
        {"\xEF\xBD\x81\xEF\xBD\x84\xEF\xBD\x8D\xEF\xBD\x89\xEF\xBD\x8E", R::AlreadyExists}, // ａｄｍｉｎ
        {"\xEF\xBC\xA1\x64min", R::AlreadyExists},               // Ａdmin
        {"PACKER", R::AlreadyExists},
        {"pa\xEF\xBD\x83ker", R::AlreadyExists},                 // full-width c
        {"ad\xE2\x80\x8Bmin", R::BadName},                       // zero-width space
        {"admin\xE2\x80\x8D", R::BadName},                       // zero-width joiner at the end
        {"\xEF\xBB\xBF" "admin", R::BadName},                    // byte order mark
        {"ad\xC2\xADmin", R::BadName},                           // soft hyphen
        {"\xE2\x80\xAEnimda", R::BadName},                       // right-to-left override
        {"pack\ner", R::BadName},
        {"pack\rer", R::BadName},
        {"pack\xC2\x85" "er", R::BadName},                       // next line (C1)
        {"pack\xE2\x80\xA8" "er", R::BadName},                   // line separator
        {"pack\x7F" "er", R::BadName},
        {"pack\xFF" "er", R::BadName},                           // not UTF-8
        {"", R::EmptyName},
        {"   ", R::EmptyName},
        {"\t\xE3\x80\x80\xC2\xA0", R::EmptyName},
    };
    for (const Case &c : refused) {
        EXPECT_EQ(accounts.addUser(c.name, "pw", "pw", "t"), c.expected) << c.name;
        EXPECT_EQ(column("select user_id from userLogin order by user_id"), before) << c.name;
    }
    EXPECT_STRNE(zentra::userAccountsMessage(R::BadName), "");

    // Blanks around a new name go; what is kept inside stays as typed.
    ASSERT_EQ(accounts.addUser("  王 小明\xE3\x80\x80", "pw", "pw", "t"), R::Ok);
    EXPECT_EQ(column("select user_id from userLogin where user_id like '王%'"),
              std::vector<std::string>{"王 小明"});
    // The login takes the name with blanks typed around it.
    EXPECT_NE(flagsOf(" 王 小明 ", "pw"), "refused");
    EXPECT_EQ(flagsOf("  ", "pw"), "refused");
}

TEST_P(UserAccountsTest, DeletingAUserTakesItsRightsAlong)
{
    ASSERT_EQ(accounts.addUser("packer", "pw", "pw", "t"), R::Ok);
    ASSERT_EQ(accounts.deleteUser("packer"), R::Ok);
    EXPECT_TRUE(column("select ID from userPermission where user_id = 'packer'").empty());
    EXPECT_EQ(flagsOf("packer", "pw"), "refused");
    // Added again, it starts from a denied copy, not from old rows.
    ASSERT_EQ(accounts.addUser("packer", "pw", "pw", "t"), R::Ok);
    EXPECT_EQ(flagsOf("packer", "pw"), std::string(50, '0'));
}

TEST_P(UserAccountsTest, GrantsFollowTheTreeAndTwoUsersAreIndependent)
{
    ASSERT_EQ(accounts.addUser("a", "pw", "pw", "t"), R::Ok);
    ASSERT_EQ(accounts.addUser("b", "pw", "pw", "t"), R::Ok);
    // The group "快递打印" (flag 0) holds 新快递单, 单张打印, 批量打印 (flags 4-6).
    ASSERT_EQ(accounts.grant("a", "快递打印", true), R::Ok);
    std::string expected(50, '0');
    expected[0] = expected[4] = expected[5] = expected[6] = '1';
    EXPECT_EQ(flagsOf("a", "pw"), expected);
    EXPECT_EQ(flagsOf("b", "pw"), std::string(50, '0'));

    ASSERT_EQ(accounts.grant("a", "单张打印", false), R::Ok);
    expected[0] = expected[5] = '0';
    EXPECT_EQ(flagsOf("a", "pw"), expected);
    ASSERT_EQ(accounts.grant("a", "单张打印", true), R::Ok);
    expected[0] = expected[5] = '1';
    EXPECT_EQ(flagsOf("a", "pw"), expected);

    ASSERT_EQ(accounts.grant("b", "系统设置", true), R::Ok);
    std::string b(50, '0');
    b[22] = '1';
    EXPECT_EQ(flagsOf("b", "pw"), b);
    EXPECT_EQ(flagsOf("a", "pw"), expected);
}

}

namespace {

TEST_P(UserAccountsTest, AdminsEmptyPasswordIsToldUntilItIsSet)
{
    bool empty = false;
    ASSERT_TRUE(accounts.adminPasswordEmpty(empty)) << accounts.error();
    EXPECT_TRUE(empty); // a new database
    // An older installation's empty text counts as empty too.
    {
        DbConnection db;
        ASSERT_TRUE(db.open(folder.databasePath()));
        ASSERT_EQ(db.execute("update userLogin set user_pwd='' where user_id='admin'"), 1);
    }
    ASSERT_TRUE(accounts.adminPasswordEmpty(empty));
    EXPECT_TRUE(empty);
    ASSERT_EQ(accounts.changePassword("admin", "", "", ""), R::BadNewPassword);
    ASSERT_EQ(accounts.changePassword("admin", "", "店主", "店主"), R::Ok);
    ASSERT_TRUE(accounts.adminPasswordEmpty(empty));
    EXPECT_FALSE(empty);
    // From now on the old password is needed to change it.
    EXPECT_EQ(accounts.changePassword("admin", "", "x", "x"), R::WrongOldPassword);

    UserAccounts missing(dir.file("none/data.db"));
    EXPECT_FALSE(missing.adminPasswordEmpty(empty));
    EXPECT_FALSE(missing.error().empty());
}

}
