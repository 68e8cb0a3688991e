#include "core/recognition/BytePattern.h"

#include "core/text/Gbk.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdio>

namespace zentra {

namespace {

pcre2_code *asCode(void *p) { return static_cast<pcre2_code *>(p); }

// One match block per thread, large enough for the whole match (no pattern
// uses its groups).
pcre2_match_data *matchData()
{
    struct Holder {
        pcre2_match_data *data = pcre2_match_data_create(1, nullptr);
        ~Holder() { pcre2_match_data_free(data); }
    };
    thread_local Holder holder;
    return holder.data;
}

}

std::string gbkPatternText(std::string_view utf8Pattern)
{
    std::string out;
    std::size_t i = 0;
    while (i < utf8Pattern.size()) {
        if (static_cast<unsigned char>(utf8Pattern[i]) < 0x80) {
            out += utf8Pattern[i++];
            continue;
        }
        std::size_t j = i + 1;
        while (j < utf8Pattern.size() && (static_cast<unsigned char>(utf8Pattern[j]) & 0xC0) == 0x80)
            ++j;
        for (unsigned char c : utf8ToGbk(utf8Pattern.substr(i, j - i))) {
            char buf[5];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
        i = j;
    }
    return out;
}

BytePattern::BytePattern(std::string_view utf8Pattern)
{
    const std::string text = gbkPatternText(utf8Pattern);
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code *code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), PCRE2_CASELESS, &error,
                                     &offset, nullptr);
    if (!code)
        return;
    pcre2_jit_compile(code, PCRE2_JIT_COMPLETE); // the interpreter runs it when JIT is unavailable
    code_ = code;
}

BytePattern::~BytePattern()
{
    pcre2_code_free(asCode(code_));
}

bool BytePattern::find(std::string_view subject, std::size_t from, std::size_t &begin, std::size_t &end) const
{
    if (!code_ || from > subject.size())
        return false;
    pcre2_match_data *md = matchData();
    int rc = pcre2_match(asCode(code_), reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), from, 0, md,
                         nullptr);
    if (rc < 0)
        return false;
    const PCRE2_SIZE *ov = pcre2_get_ovector_pointer(md);
    begin = ov[0];
    end = ov[1];
    return true;
}

std::string BytePattern::firstMatch(std::string_view subject) const
{
    std::size_t b = 0, e = 0;
    if (!find(subject, 0, b, e))
        return {};
    return std::string(subject.substr(b, e - b));
}

}
