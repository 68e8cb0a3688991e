#pragma once

#include <string>

namespace zentra {

// How passwords are kept in user_pwd: a salted Argon2id hash in libsodium's
// string form ("$argon2id$v=19$m=...,t=...,p=1$salt$hash"), made with the
// interactive limits. The text never leaves this file's functions.

// The stored form of `password`; empty only when hashing failed (out of
// memory).
std::string hashPassword(const std::string &password);

// Whether a stored value is one of our hashes; anything else is a password
// kept as text by an older installation.
bool isPasswordHash(const std::string &stored);

struct PasswordCheck {
    bool match = false;
    // The stored value was text: the caller should replace it by
    // hashPassword(typed) now that the password is known to be right.
    bool needsRehash = false;
};

// The one check of a typed password against a stored value. A stored hash is
// verified; a stored text value (from an older installation) is compared in
// constant time. With `stored` absent (an unknown user) a dummy hash is
// verified so the answer takes as long as for a real user, and it never
// matches.
PasswordCheck checkPassword(const std::string *stored, const std::string &typed);

class DbConnection;

// A user's stored password checked against a typed one, as the login and the
// password change both do: `found` tells whether the user exists (its name as
// stored in `userId`); an unknown name is checked against the stand-in, so
// both refusals take as long. `ok` is false when the database failed.
struct UserPasswordCheck {
    bool ok = false;
    bool found = false;
    std::string userId;
    PasswordCheck check;
};
UserPasswordCheck checkUserPassword(DbConnection &db, const std::string &name, const std::string &typed);

}
