#pragma once

#include <string>
#include <string_view>

namespace zentra {

// The rules a user name follows, kept in one place for the user dialog and
// the command line. A name is what is left of the typed text after leading
// and trailing blanks (any Unicode white space, the ideographic space
// included) are cut off. It must not be empty and must hold no control
// character (line breaks, tabs, C1 controls, line and paragraph separators)
// and no invisible character (zero-width spaces and joiners, direction marks
// and embeddings, word joiner, byte order mark, soft hyphen), nor bytes that
// are not UTF-8: such names look like another user's in every list, or split
// a list line in two.
struct CheckedUserName {
    enum class Problem { None, Empty, BadCharacter };
    std::string name; // trimmed
    Problem problem = Problem::None;
};
CheckedUserName checkUserName(std::string_view typed);

// What two names are compared by when a new user is added: full-width forms
// folded to their ASCII twins, then letter case folded (ASCII, Latin, Greek,
// Cyrillic). "ＡＤＭＩＮ", "Admin" and "admin" have one key. Invalid UTF-8 is
// kept byte for byte.
std::string userNameKey(std::string_view name);

}
