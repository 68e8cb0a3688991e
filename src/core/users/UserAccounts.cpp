#include "core/users/UserAccounts.h"

#include "core/data/DbConnection.h"
#include "core/users/PasswordHash.h"
#include "core/users/UserName.h"

#include <cstdlib>

namespace zentra {

namespace {

// Users are found by name with ASCII case ignored.
std::string byUser(DbConnection &db)
{
    return db.dialect().folded("user_id") + " = " + db.dialect().folded("?");
}

}


namespace {

bool permissionOn(const std::string &value)
{
    return std::strtol(value.c_str(), nullptr, 10) != 0;
}

bool sameNameIgnoringCase(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c; };
        if (lower(x) != lower(y))
            return false;
    }
    return true;
}

}

bool UserAccounts::isAdmin(const std::string &name)
{
    return sameNameIgnoringCase(name, kAdmin);
}

std::vector<UserAccounts::User> UserAccounts::users()
{
    std::vector<User> list;
    DbConnection db;
    if (!db.open(databasePath_)) {
        error_ = db.lastError();
        return list;
    }
    DbRows rows = db.query("select user_id, user_loginTime from userLogin order by " + db.dialect().folded("user_id") + " asc");
    if (!rows.ok) {
        error_ = db.lastError();
        return list;
    }
    for (const DbRow &row : rows)
        list.push_back({row.text("user_id"), row.text("user_loginTime")});
    return list;
}

bool UserAccounts::userExists(const std::string &name, bool &exists)
{
    DbConnection db;
    if (!db.open(databasePath_)) {
        error_ = db.lastError();
        return false;
    }
    DbRows rows = db.query("select user_id from userLogin where " + byUser(db), {name});
    if (!rows.ok) {
        error_ = db.lastError();
        return false;
    }
    exists = !rows.empty();
    return true;
}

bool UserAccounts::adminPasswordEmpty(bool &empty)
{
    DbConnection db;
    if (!db.open(databasePath_)) {
        error_ = db.lastError();
        return false;
    }
    const UserPasswordCheck admin = checkUserPassword(db, kAdmin, "");
    if (!admin.ok) {
        error_ = db.lastError();
        return false;
    }
    empty = admin.found && admin.check.match;
    return true;
}

UserAccounts::Result UserAccounts::addUser(const std::string &typedName, const std::string &password,
                                           const std::string &confirm, const std::string &now)
{
    const CheckedUserName checked = checkUserName(typedName);
    if (checked.problem == CheckedUserName::Problem::Empty)
        return Result::EmptyName;
    if (checked.problem == CheckedUserName::Problem::BadCharacter)
        return Result::BadName;
    const std::string &name = checked.name;
    if (password.empty() || password != confirm)
        return Result::BadPassword;
    DbConnection db;
    if (!db.open(databasePath_)) {
        error_ = db.lastError();
        return Result::DbError;
    }
    Transaction tx(db);
    if (!tx.active()) {
        error_ = db.lastError();
        return Result::DbError;
    }
    // Few users: every name is compared by its folded key.
    DbRows existing = db.query("select user_id from userLogin");
    if (!existing.ok) {
        error_ = db.lastError();
        return Result::DbError;
    }
    const std::string key = userNameKey(name);
    for (const DbRow &row : existing)
        if (userNameKey(row.text("user_id")) == key)
            return Result::AlreadyExists;
    const std::string hash = hashPassword(password);
    if (hash.empty()) {
        error_ = "cannot hash the password";
        return Result::DbError;
    }
    if (db.execute("insert into userLogin (user_id, user_pwd, user_loginTime) values(?, ?, ?)", {name, hash, now}) <
        0) {
        error_ = db.lastError();
        return Result::DbError;
    }
    DbRows own = db.query("select ID from userPermission where " + byUser(db) + " limit 1", {name});
    if (!own.ok) {
        error_ = db.lastError();
        return Result::DbError;
    }
    if (own.empty() && db.execute("insert into userPermission(user_id, ID, PID, Caption, permission) "
                                  "select ?, ID, PID, Caption, '0' from userPermission where " + byUser(db) + " order by ID",
                                  {name, kAdmin}) < 0) {
        error_ = db.lastError();
        return Result::DbError;
    }
    if (!tx.commit()) {
        error_ = db.lastError();
        return Result::DbError;
    }
    return Result::Ok;
}

UserAccounts::Result UserAccounts::deleteUser(const std::string &name)
{
    if (isAdmin(name))
        return Result::AdminUndeletable;
    DbConnection db;
    if (!db.open(databasePath_)) {
        error_ = db.lastError();
        return Result::DbError;
    }
    Transaction tx(db);
    if (!tx.active()) {
        error_ = db.lastError();
        return Result::DbError;
    }
    const int removed = db.execute("delete from userLogin where " + byUser(db), {name});
    if (removed < 0 || db.execute("delete from userPermission where " + byUser(db), {name}) < 0) {
        error_ = db.lastError();
        return Result::DbError;
    }
    if (removed == 0)
        return Result::NoSuchUser;
    if (!tx.commit()) {
        error_ = db.lastError();
        return Result::DbError;
    }
    return Result::Ok;
}

UserAccounts::Result UserAccounts::changePassword(const std::string &name, const std::string &oldPassword,
                                                  const std::string &newPassword, const std::string &confirm)
{
    DbConnection db;
    if (!db.open(databasePath_)) {
        error_ = db.lastError();
        return Result::DbError;
    }
    const UserPasswordCheck user = checkUserPassword(db, name, oldPassword);
    if (!user.ok) {
        error_ = db.lastError();
        return Result::DbError;
    }
    if (!user.check.match)
        return Result::WrongOldPassword;
    if (newPassword.empty() || newPassword != confirm)
        return Result::BadNewPassword;
    const std::string hash = hashPassword(newPassword);
    if (hash.empty()) {
        error_ = "cannot hash the password";
        return Result::DbError;
    }
    if (db.execute("update userLogin set user_pwd = ? where " + byUser(db), {hash, user.userId}) < 0) {
        error_ = db.lastError();
        return Result::DbError;
    }
    return Result::Ok;
}

std::optional<std::vector<PermissionRow>> UserAccounts::permissions(const std::string &name)
{
    DbConnection db;
    if (!db.open(databasePath_)) {
        error_ = db.lastError();
        return std::nullopt;
    }
    DbRows rows =
        db.query("select ID, PID, Caption, permission from userPermission where " + byUser(db) + " order by ID asc", {name});
    if (!rows.ok) {
        error_ = db.lastError();
        return std::nullopt;
    }
    std::vector<PermissionRow> list;
    for (const DbRow &row : rows)
        list.push_back(
            {row.integer("ID"), row.integer("PID"), row.text("Caption"), permissionOn(row.text("permission"))});
    return list;
}

std::optional<PermissionTree> UserAccounts::permissionTree(const std::string &name)
{
    auto rows = permissions(name);
    if (!rows)
        return std::nullopt;
    return PermissionTree(std::move(*rows));
}

UserAccounts::Result UserAccounts::refuseChange(const std::string &name)
{
    if (name.empty())
        return Result::NoUserChosen;
    if (isAdmin(name))
        return Result::AdminFixed;
    bool exists = false;
    if (!userExists(name, exists))
        return Result::DbError;
    return exists ? Result::Ok : Result::NoSuchUser;
}

UserAccounts::Result UserAccounts::savePermissions(const std::string &name, const PermissionTree &tree)
{
    if (Result r = refuseChange(name); r != Result::Ok)
        return r;
    DbConnection db;
    if (!db.open(databasePath_)) {
        error_ = db.lastError();
        return Result::DbError;
    }
    Transaction tx(db);
    if (!tx.active()) {
        error_ = db.lastError();
        return Result::DbError;
    }
    for (const PermissionTree::Node &node : tree.nodes()) {
        if (db.execute("update userPermission set permission = ? where " + byUser(db) + " and Caption = ?",
                       {node.row.allowed ? "1" : "0", name, node.row.caption}) < 0) {
            error_ = db.lastError();
            return Result::DbError;
        }
    }
    if (!tx.commit()) {
        error_ = db.lastError();
        return Result::DbError;
    }
    return Result::Ok;
}

UserAccounts::Result UserAccounts::grant(const std::string &name, const std::string &caption, bool allowed)
{
    if (Result r = refuseChange(name); r != Result::Ok)
        return r;
    auto tree = permissionTree(name);
    if (!tree)
        return Result::DbError;
    const int node = tree->find(caption);
    if (node < 0)
        return Result::NoSuchPermission;
    tree->set(node, allowed);
    return savePermissions(name, *tree);
}

const char *userAccountsMessage(UserAccounts::Result r)
{
    using R = UserAccounts::Result;
    switch (r) {
    case R::EmptyName:
        return "请输入用户名！";
    case R::BadName:
        return "用户名不能包含控制字符或不可见字符！";
    case R::BadPassword:
        return "请输入正确的密码！";
    case R::AlreadyExists:
        return "该用户已经存在！";
    case R::NoSuchUser:
        return "该用户不存在！";
    case R::AdminUndeletable:
        return "该账户不允许删除";
    case R::WrongOldPassword:
        return "请输入正确的原密码";
    case R::BadNewPassword:
        return "请输入正确的新密码！";
    case R::NoUserChosen:
        return "请先选择需要修改的用户！";
    case R::AdminFixed:
        return "管理员权限无法修改！";
    case R::NoSuchPermission:
        return "没有该权限项！";
    case R::Ok:
    case R::DbError:
        break;
    }
    return "";
}

}
