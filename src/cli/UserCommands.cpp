// user list/add/delete/passwd/permissions/grant, login: the rules of the user
// dialogs and of the login, for automation. Refusals print the dialogs'
// messages and end with exit code 1.
#include "cli/CliCommand.h"
#include "core/config/AppState.h"
#include "core/data/Schema.h"
#include "core/users/UserAccounts.h"
#include "core/users/UserLogin.h"

#include <cstdio>
#include <iostream>

namespace zentra::cli {
namespace {

constexpr const char *kUserUsage = "user list | user add NAME PASSWORD | user delete NAME | "
                                   "user passwd NAME OLD NEW | user permissions NAME | user grant NAME CAPTION 0|1";

std::string jsonString(const std::string &text)
{
    std::string out = "\"";
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

// The database of the data folder, made on first use as the program does.
bool openFolder(const CliContext &ctx)
{
    std::string error;
    if (initDataFolder(ctx.folder, &error))
        return true;
    std::cout << error << "\n";
    return false;
}

int outcome(UserAccounts &accounts, UserAccounts::Result r, const char *success = nullptr)
{
    if (r == UserAccounts::Result::Ok) {
        if (success)
            std::cout << success << "\n";
        return 0;
    }
    std::cout << (r == UserAccounts::Result::DbError ? accounts.error() : userAccountsMessage(r)) << "\n";
    return 1;
}

int user(CliContext &ctx)
{
    const auto &a = ctx.args;
    const std::string verb = a.empty() ? "" : a[0];
    const std::size_t n = a.size();
    const bool known = (verb == "list" && n == 1) || (verb == "add" && n == 3) || (verb == "delete" && n == 2) ||
                       (verb == "passwd" && n == 4) || (verb == "permissions" && n == 2) ||
                       (verb == "grant" && n == 4 && (a[3] == "0" || a[3] == "1"));
    if (!known) {
        std::cerr << "usage: zentra-cli " << kUserUsage << "\n";
        return 2;
    }
    if (!openFolder(ctx))
        return 1;
    UserAccounts accounts(ctx.folder.databasePath());
    if (verb == "list") {
        const auto users = accounts.users();
        if (!accounts.error().empty()) {
            std::cout << accounts.error() << "\n";
            return 1;
        }
        for (const auto &u : users)
            std::cout << u.name << "\n";
        return 0;
    }
    if (verb == "add")
        return outcome(accounts, accounts.addUser(a[1], a[2], a[2], localTimeNow()));
    if (verb == "delete")
        return outcome(accounts, accounts.deleteUser(a[1]), "该用户已删除！");
    if (verb == "passwd")
        return outcome(accounts, accounts.changePassword(a[1], a[2], a[3], a[3]), "密码修改成功！");
    if (verb == "grant")
        return outcome(accounts, accounts.grant(a[1], a[2], a[3] == "1"));
    // permissions
    bool exists = false;
    if (!accounts.userExists(a[1], exists))
        return outcome(accounts, UserAccounts::Result::DbError);
    if (!exists)
        return outcome(accounts, UserAccounts::Result::NoSuchUser);
    const auto rows = accounts.permissions(a[1]);
    if (!rows)
        return outcome(accounts, UserAccounts::Result::DbError);
    for (const PermissionRow &r : *rows)
        std::cout << "{\"ID\":" << r.id << ",\"PID\":" << r.pid << ",\"Caption\":" << jsonString(r.caption)
                  << ",\"permission\":\"" << (r.allowed ? '1' : '0') << "\"}\n";
    return 0;
}

int login(CliContext &ctx)
{
    if (ctx.args.size() != 2) {
        std::cerr << "usage: zentra-cli login NAME PASSWORD\n";
        return 2;
    }
    if (!openFolder(ctx))
        return 1;
    UserLogin logins(ctx.folder.databasePath());
    AppState state;
    const UserLogin::Result r = logins.login(ctx.args[0], ctx.args[1], localTimeNow(), state);
    if (r != UserLogin::Result::Ok) {
        std::cout << (r == UserLogin::Result::DbError ? logins.error() : loginMessage(r)) << "\n";
        return 1;
    }
    std::string flags;
    for (unsigned char f : state.permissions)
        flags += f ? '1' : '0';
    std::cout << flags << "\n";
    return 0;
}

const CliRegistration regUser("user", kUserUsage, user);
const CliRegistration regLogin("login", "login NAME PASSWORD", login);

}
}
