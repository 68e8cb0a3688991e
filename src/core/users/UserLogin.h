#pragma once

#include "core/config/AppState.h"
#include "core/text/LocalTime.h"

#include <string>
#include <vector>

namespace zentra {

// The login rules: which users exist, whether a name and password match, and
// what a successful login changes. Each call opens the database, runs its
// statements with bound values and closes it again.
class UserLogin {
public:
    enum class Result {
        Ok,
        EmptyName,     // nothing typed in the name field
        UnknownUser,   // the name is not in userLogin
        WrongPassword, // the stored password differs from the typed one
        DbError,       // the database could not be read or written; see error()
    };

    explicit UserLogin(std::string databasePath) : databasePath_(std::move(databasePath)) {}

    // User names, the one who logged in last first; users who never logged in
    // come last. Empty (and error() set) when the database cannot be read.
    std::vector<std::string> usersByLastLogin();

    // Checks the name and password (checkPassword: a hash, or text from an
    // older installation, which is then replaced by its hash); on a match stamps user_loginTime with
    // `now` ("%Y-%m-%d %H:%M:%S"), makes the user current in `state` (under the
    // name as stored) and sets the permission flags from the user's rows.
    // On any other result `state` is left as it was.
    Result login(const std::string &name, const std::string &password, const std::string &now, AppState &state);

    // The flags of one user: flag k from the k-th permission row in ascending
    // ID order, on when the value reads as a non-zero integer. Rows past the
    // last flag are ignored; flags without a row are off.
    bool readPermissions(const std::string &user, std::array<unsigned char, AppState::kPermissionCount> &flags);

    // The engine's message of the last failure.
    const std::string &error() const { return error_; }

private:
    std::string databasePath_;
    std::string error_;
};

// The login dialog's message for a refusal; empty for Ok and DbError (whose
// text is the engine's).
const char *loginMessage(UserLogin::Result r);

}
