#include "core/users/UserLogin.h"

#include "core/data/DbConnection.h"
#include "core/users/PasswordHash.h"
#include "core/users/UserName.h"

#include <cstdlib>
#include <ctime>

namespace zentra {

namespace {

// Users are found by name with ASCII case ignored.
std::string byUser(DbConnection &db)
{
    return db.dialect().folded("user_id") + " = " + db.dialect().folded("?");
}

}


namespace {

// The integer reading of a stored permission value: its leading decimal
// number, 0 when there is none.
bool permissionOn(const std::string &value)
{
    return std::strtol(value.c_str(), nullptr, 10) != 0;
}

}

std::vector<std::string> UserLogin::usersByLastLogin()
{
    std::vector<std::string> names;
    DbConnection db;
    if (!db.open(databasePath_)) {
        error_ = db.lastError();
        return names;
    }
    // NULL (never logged in) sorts below every time text, so those come last.
    DbRows rows = db.query("select user_id from userLogin order by user_loginTime desc nulls last, " + db.dialect().folded("user_id") + " asc");
    if (!rows.ok) {
        error_ = db.lastError();
        return names;
    }
    for (const DbRow &row : rows)
        names.push_back(row.text("user_id"));
    return names;
}

bool UserLogin::readPermissions(const std::string &user, std::array<unsigned char, AppState::kPermissionCount> &flags)
{
    DbConnection db;
    if (!db.open(databasePath_)) {
        error_ = db.lastError();
        return false;
    }
    DbRows rows = db.query("select permission from userPermission where " + byUser(db) + " order by ID asc", {user});
    if (!rows.ok) {
        error_ = db.lastError();
        return false;
    }
    flags.fill(0);
    std::size_t k = 0;
    for (const DbRow &row : rows) {
        if (k == flags.size())
            break;
        flags[k++] = permissionOn(row.text("permission")) ? 1 : 0;
    }
    return true;
}

UserLogin::Result UserLogin::login(const std::string &typedName, const std::string &password,
                                   const std::string &now, AppState &state)
{
    // Blanks typed around the name are no part of it, as when it was added.
    const std::string name = checkUserName(typedName).name;
    if (name.empty())
        return Result::EmptyName;
    std::string storedName;
    {
        DbConnection db;
        if (!db.open(databasePath_)) {
            error_ = db.lastError();
            return Result::DbError;
        }
        const UserPasswordCheck user = checkUserPassword(db, name, password);
        if (!user.ok) {
            error_ = db.lastError();
            return Result::DbError;
        }
        if (!user.found)
            return Result::UnknownUser;
        const PasswordCheck &check = user.check;
        if (!check.match)
            return Result::WrongPassword;
        storedName = user.userId;
        // A password kept as text by an older installation is replaced by
        // its hash now that it is known; the login goes on either way.
        Transaction tx(db);
        if (!tx.active()) {
            error_ = db.lastError();
            return Result::DbError;
        }
        if (check.needsRehash) {
            const std::string hash = hashPassword(password);
            if (!hash.empty() &&
                db.execute("update userLogin set user_pwd = ? where " + byUser(db), {hash, storedName}) < 0) {
                error_ = db.lastError();
                return Result::DbError;
            }
        }
        if (db.execute("update userLogin set user_loginTime = ? where " + byUser(db), {now, storedName}) < 0 ||
            !tx.commit()) {
            error_ = db.lastError();
            return Result::DbError;
        }
    }
    std::array<unsigned char, AppState::kPermissionCount> flags{};
    if (!readPermissions(storedName, flags))
        return Result::DbError;
    state.currentUser = storedName;
    state.permissions = flags;
    return Result::Ok;
}

const char *loginMessage(UserLogin::Result r)
{
    switch (r) {
    case UserLogin::Result::EmptyName:
        return "请输入用户名";
    case UserLogin::Result::UnknownUser:
        return "该用户不存在，请重新输入用户名";
    case UserLogin::Result::WrongPassword:
        return "密码错误，请重新输入密码";
    case UserLogin::Result::Ok:
    case UserLogin::Result::DbError:
        break;
    }
    return "";
}


}
