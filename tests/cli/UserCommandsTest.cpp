#include "core/data/DbConnection.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace zentra {
namespace {

using test::runProgram;

class UserCommandsTest : public ::testing::Test {
protected:
    test::CliResult cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--home", home});
        return runProgram(ZENTRA_CLI, args);
    }
    // The flags of a login with exactly these positions on.
    static std::string flags(std::initializer_list<int> on)
    {
        std::string s(50, '0');
        for (int i : on)
            s[static_cast<std::size_t>(i)] = '1';
        return s + "\n";
    }
    test::TempDir dir;
    std::string home = dir.file("shop");
};

TEST_F(UserCommandsTest, ANewUserIsRefusedEverythingUntilGranted)
{
    EXPECT_EQ(cli({"user", "add", "packer", "pw 1"}).exitCode, 0);
    EXPECT_EQ(cli({"user", "add", "Anna", "x"}).exitCode, 0);
    EXPECT_EQ(cli({"user", "list"}).out, "admin\nAnna\npacker\n"); // names compare without case
    EXPECT_EQ(cli({"login", "packer", "pw 1"}).out, flags({}));
    EXPECT_EQ(cli({"user", "grant", "packer", "单张打印", "1"}).exitCode, 0);
    EXPECT_EQ(cli({"user", "grant", "packer", "系统选项", "1"}).exitCode, 0);
    EXPECT_EQ(cli({"login", "packer", "pw 1"}).out, flags({3, 5, 22, 23, 24, 25}));
    EXPECT_EQ(cli({"user", "grant", "packer", "用户管理", "0"}).exitCode, 0);
    EXPECT_EQ(cli({"login", "packer", "pw 1"}).out, flags({5, 22, 24, 25}));
    // The other user never moved.
    EXPECT_EQ(cli({"login", "Anna", "x"}).out, flags({}));

    auto admin = cli({"login", "admin", ""});
    EXPECT_EQ(admin.exitCode, 0);
    EXPECT_EQ(admin.out, std::string(26, '1') + std::string(24, '0') + "\n");
}

TEST_F(UserCommandsTest, PermissionsAreJsonLinesInIdOrder)
{
    ASSERT_EQ(cli({"user", "add", "packer", "pw"}).exitCode, 0);
    ASSERT_EQ(cli({"user", "grant", "packer", "快递打印", "1"}).exitCode, 0);
    const auto r = cli({"user", "permissions", "packer"});
    EXPECT_EQ(r.exitCode, 0);
    std::vector<std::string> lines;
    for (std::size_t at = 0, nl; (nl = r.out.find('\n', at)) != std::string::npos; at = nl + 1)
        lines.push_back(r.out.substr(at, nl - at));
    ASSERT_EQ(lines.size(), 26u);
    EXPECT_EQ(lines[0], R"({"ID":1,"PID":0,"Caption":"快递打印","permission":"1"})");
    EXPECT_EQ(lines[1], R"({"ID":2,"PID":0,"Caption":"模板管理","permission":"0"})");
    EXPECT_EQ(lines[4], R"({"ID":5,"PID":1,"Caption":"新快递单","permission":"1"})");
    EXPECT_EQ(lines[25], R"({"ID":26,"PID":4,"Caption":"权限设置","permission":"0"})");
}

TEST_F(UserCommandsTest, RefusalsPrintTheDialogsMessages)
{
    ASSERT_EQ(cli({"user", "add", "packer", "pw"}).exitCode, 0);
    const std::pair<std::vector<std::string>, std::string> refusals[] = {
        {{"user", "add", "packer", "pw"}, "该用户已经存在！\n"},
        {{"user", "add", "x", ""}, "请输入正确的密码！\n"},
        {{"user", "add", "", "pw"}, "请输入用户名！\n"},
        {{"user", "delete", "admin"}, "该账户不允许删除\n"},
        {{"user", "delete", "nobody"}, "该用户不存在！\n"},
        {{"user", "passwd", "packer", "PW", "new"}, "请输入正确的原密码\n"},
        {{"user", "passwd", "packer", "pw", ""}, "请输入正确的新密码！\n"},
        {{"user", "grant", "admin", "新快递单", "0"}, "管理员权限无法修改！\n"},
        {{"user", "grant", "packer", "没有这项", "1"}, "没有该权限项！\n"},
        {{"user", "permissions", "nobody"}, "该用户不存在！\n"},
        {{"login", "packer", "PW"}, "密码错误，请重新输入密码\n"},
        {{"login", "nobody", "pw"}, "该用户不存在，请重新输入用户名\n"},
        {{"login", "", "pw"}, "请输入用户名\n"},
    };
    for (const auto &[args, message] : refusals) {
        const auto r = cli(args);
        EXPECT_EQ(r.exitCode, 1) << args[1];
        EXPECT_EQ(r.out, message) << args[1];
    }
    EXPECT_EQ(cli({"user", "grant", "packer", "新快递单", "yes"}).exitCode, 2);
    EXPECT_EQ(cli({"user"}).exitCode, 2);
}

TEST_F(UserCommandsTest, LookAlikeAndBrokenNamesAreRefusedAndTheListStaysOneNameALine)
{
    const std::pair<std::string, std::string> refusals[] = {
        {"admin ", "该用户已经存在！\n"},
        {"\xEF\xBD\x81\xEF\xBD\x84\xEF\xBD\x8D\xEF\xBD\x89\xEF\xBD\x8E", "该用户已经存在！\n"},
        {"ad\xE2\x80\x8Bmin", "用户名不能包含控制字符或不可见字符！\n"},
        {"evil\nadmin", "用户名不能包含控制字符或不可见字符！\n"},
        {" \t ", "请输入用户名！\n"},
    };
    for (const auto &[name, message] : refusals) {
        const auto r = cli({"user", "add", name, "pw"});
        EXPECT_EQ(r.exitCode, 1) << name;
        EXPECT_EQ(r.out, message) << name;
    }
    EXPECT_EQ(cli({"user", "add", " packer ", "pw"}).exitCode, 0);
    EXPECT_EQ(cli({"user", "list"}).out, "admin\npacker\n");
    EXPECT_EQ(cli({"login", "packer", "pw"}).exitCode, 0);
}

TEST_F(UserCommandsTest, PasswordChangeAndDeletion)
{
    ASSERT_EQ(cli({"user", "add", "packer", "old"}).exitCode, 0);
    EXPECT_EQ(cli({"user", "passwd", "packer", "old", "新密码"}).out, "密码修改成功！\n");
    EXPECT_EQ(cli({"login", "packer", "old"}).exitCode, 1);
    EXPECT_EQ(cli({"login", "packer", "新密码"}).exitCode, 0);
    EXPECT_EQ(cli({"user", "delete", "packer"}).out, "该用户已删除！\n");
    EXPECT_EQ(cli({"user", "list"}).out, "admin\n");
    // Nothing of it stays behind, and no password is kept as text.
    DbConnection db;
    ASSERT_TRUE(db.open(home + "/data/data.db"));
    EXPECT_TRUE(db.query("select * from userPermission where user_id = 'packer'").empty());
    for (const auto &row : db.query("select user_pwd from userLogin"))
        EXPECT_TRUE(row.text("user_pwd").starts_with("$argon2id$"));
}

TEST_F(UserCommandsTest, CalibrationSheetAsPdf)
{
    const std::string pdf = dir.file("calibration.pdf");
    const auto r = cli({"print-calibration", "--pdf", pdf});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "1 page\n");
    EXPECT_TRUE(test::slurp(pdf).starts_with("%PDF-"));
    EXPECT_EQ(cli({"print-calibration"}).exitCode, 2);
    EXPECT_EQ(cli({"print-calibration", "--pdf", dir.file("no/such/folder/x.pdf")}).exitCode, 1);
}

}
}
