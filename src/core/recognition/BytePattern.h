#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zentra {

// A PCRE2 (8-bit) pattern compiled once, caseless, without UTF mode, so that
// every repetition counts bytes of GBK text; JIT-compiled where the library
// can. A pattern that does not compile stays invalid and never matches.
class BytePattern {
public:
    // The pattern text is UTF-8; its non-ASCII characters are turned into
    // their GBK bytes, written as \x escapes so that no trail byte is read as
    // a pattern character.
    explicit BytePattern(std::string_view utf8Pattern);
    ~BytePattern();
    BytePattern(const BytePattern &) = delete;
    BytePattern &operator=(const BytePattern &) = delete;

    bool valid() const { return code_ != nullptr; }

    // The leftmost match in subject at or after `from`, with look-behinds
    // seeing the bytes before `from`. Returns false when there is none.
    bool find(std::string_view subject, std::size_t from, std::size_t &begin, std::size_t &end) const;
    bool contains(std::string_view subject) const
    {
        std::size_t b = 0, e = 0;
        return find(subject, 0, b, e);
    }
    // The first whole match as GBK bytes, empty when none.
    std::string firstMatch(std::string_view subject) const;

private:
    void *code_ = nullptr; // pcre2_code_8
};

// The pattern text with every non-ASCII UTF-8 character replaced by its GBK
// bytes as \xHH escapes.
std::string gbkPatternText(std::string_view utf8Pattern);

}
