#include "core/users/PasswordHash.h"

#include "core/data/DbConnection.h"

#include <sodium.h>

namespace zentra {

namespace {

// Users are found by name with ASCII case ignored.
std::string byUser(DbConnection &db)
{
    return db.dialect().folded("user_id") + " = " + db.dialect().folded("?");
}

}


namespace {

bool sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// Verified for unknown users so that they cost what a real user costs.
const std::string &dummyHash()
{
    static const std::string hash = hashPassword("zentra: no such user");
    return hash;
}

bool sameText(const std::string &a, const std::string &b)
{
    // Compares every byte of the longer length so the time does not tell
    // where the first difference is.
    const std::size_t n = a.size() > b.size() ? a.size() : b.size();
    unsigned char diff = a.size() == b.size() ? 0 : 1;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
        const unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0;
        diff |= static_cast<unsigned char>(x ^ y);
    }
    return diff == 0;
}

bool verifyHash(const std::string &hash, const std::string &typed)
{
    return crypto_pwhash_str_verify(hash.c_str(), typed.data(), typed.size()) == 0;
}

}

std::string hashPassword(const std::string &password)
{
    if (!sodiumReady())
        return {};
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return {};
    return out;
}

bool isPasswordHash(const std::string &stored)
{
    return stored.starts_with(crypto_pwhash_argon2id_STRPREFIX) && stored.size() < crypto_pwhash_STRBYTES;
}

PasswordCheck checkPassword(const std::string *stored, const std::string &typed)
{
    PasswordCheck r;
    // The stand-in is made before anything is compared, so the first refusal
    // of an unknown user takes no longer than any other.
    if (!sodiumReady() || dummyHash().empty())
        return r;
    if (!stored) {
        verifyHash(dummyHash(), typed);
        return r;
    }
    if (isPasswordHash(*stored)) {
        r.match = verifyHash(*stored, typed);
        return r;
    }
    // A text value: as slow as a hash check, so the stored form is not told
    // by the time either.
    verifyHash(dummyHash(), typed);
    r.match = sameText(*stored, typed);
    r.needsRehash = r.match;
    return r;
}

UserPasswordCheck checkUserPassword(DbConnection &db, const std::string &name, const std::string &typed)
{
    UserPasswordCheck r;
    const DbRows rows = db.query("select user_id, user_pwd from userLogin where " + byUser(db), {name});
    if (!rows.ok)
        return r;
    r.ok = true;
    r.found = !rows.empty();
    std::string stored;
    if (r.found) {
        r.userId = rows[0].text("user_id");
        stored = rows[0].text("user_pwd");
    }
    r.check = checkPassword(r.found ? &stored : nullptr, typed);
    return r;
}

}
