#pragma once

#include "core/users/PermissionTree.h"

#include <optional>
#include <string>
#include <vector>

namespace zentra {

// The rules of the user management, password and permission dialogs (and of
// the command line's user commands). Each call opens the database, runs its
// statements with bound values, in one transaction when there are several,
// and closes it again. Every refusal leaves the tables unchanged.
//
// "admin" (in any letter case, as user names compare) can be neither deleted
// nor have its permissions changed, so one account always keeps every right.
class UserAccounts {
public:
    enum class Result {
        Ok,
        EmptyName,        // add: no name typed, or only blanks
        BadName,          // add: a control or invisible character in the name
        BadPassword,      // add: empty, or not the same as its confirmation
        AlreadyExists,    // add
        NoSuchUser,       // delete, permissions, grant
        AdminUndeletable, // delete
        WrongOldPassword, // change password
        BadNewPassword,   // change password: empty or not confirmed
        NoUserChosen,     // permissions: no user selected
        AdminFixed,       // permissions: admin's rights cannot change
        NoSuchPermission, // grant: no item with that caption
        DbError,          // see error()
    };

    struct User {
        std::string name;
        std::string lastLogin; // "%Y-%m-%d %H:%M:%S", empty when never
    };

    explicit UserAccounts(std::string databasePath) : databasePath_(std::move(databasePath)) {}

    static constexpr const char *kAdmin = "admin";
    static bool isAdmin(const std::string &name);

    // Every user, by name. Empty (and error() set) when the database cannot
    // be read.
    std::vector<User> users();

    // Adds a user with the password's hash and `now` as its login time; a
    // user without permission rows gets a copy of the administrator's rows
    // with every permission denied. The name is checked and trimmed by
    // `checkUserName`; one that has the `userNameKey` of an existing user
    // (a width or letter-case twin) already exists.
    Result addUser(const std::string &name, const std::string &password, const std::string &confirm,
                   const std::string &now);

    // Removes the user and its permission rows together.
    Result deleteUser(const std::string &name);

    // Replaces the password after checking the old one; a user that does not
    // exist is told the old password is wrong, after the same wait.
    Result changePassword(const std::string &name, const std::string &oldPassword, const std::string &newPassword,
                          const std::string &confirm);

    // The user's permission rows in id order; nullopt when the database
    // cannot be read (see error()). A user without rows has an empty list.
    std::optional<std::vector<PermissionRow>> permissions(const std::string &name);
    std::optional<PermissionTree> permissionTree(const std::string &name);

    // Writes the tree's states into the user's rows, all in one transaction.
    Result savePermissions(const std::string &name, const PermissionTree &tree);

    // Sets one item by caption as its check box would (see PermissionTree::set)
    // and saves the user's rows.
    Result grant(const std::string &name, const std::string &caption, bool allowed);

    // Whether the user exists (names compare without letter case); false
    // when the database cannot be read (see error()).
    bool userExists(const std::string &name, bool &exists);

    // Whether "admin" still has the empty password of a new database (then
    // anyone may take the account, so the login must not be switched on
    // before it has one); false when the database cannot be read (see
    // error()). The password is set with changePassword(kAdmin, "", ...).
    bool adminPasswordEmpty(bool &empty);

    const std::string &error() const { return error_; }

private:
    Result refuseChange(const std::string &name);

    std::string databasePath_;
    std::string error_;
};

// The message a dialog (and the command line) shows for a result; empty for
// Ok and DbError (whose text is the engine's).
const char *userAccountsMessage(UserAccounts::Result r);

}
