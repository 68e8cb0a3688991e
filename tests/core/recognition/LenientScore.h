#pragma once
// Scores recognised fields against labelled ones the way a clerk judges them:
// numbers by their digits, places without their suffix (陕西 = 陕西省, 广西 =
// 广西壮族自治区), the street and the company without spaces and punctuation.
// A name must be the same apart from surrounding spaces.
#include "core/recognition/Recognition.h"
#include "core/recognition/RegionIndex.h"

#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace zentra::test {

inline std::string digitsOf(const std::string &s)
{
    std::string d;
    for (char c : s)
        if (c >= '0' && c <= '9')
            d += c;
    return d;
}

inline std::string placeKey(const std::string &s)
{
    static const std::u32string_view suffixes[] = {U"特别行政区", U"自治区", U"自治州", U"自治县", U"自治旗",
                                                   U"地区",       U"新区",   U"省",     U"市",     U"区",
                                                   U"县",         U"旗",     U"盟",     U"林区"};
    static const std::u32string_view peoples[] = {U"维吾尔", U"壮", U"回", U"族"};
    std::u32string w = toCodePoints(s);
    auto strip = [&w](std::u32string_view end) {
        if (w.size() > end.size() + 1 && std::u32string_view(w).substr(w.size() - end.size()) == end) {
            w.resize(w.size() - end.size());
            return true;
        }
        return false;
    };
    for (std::u32string_view end : suffixes)
        if (strip(end))
            break;
    for (bool again = true; again;) {
        again = false;
        for (std::u32string_view p : peoples)
            again = strip(p) || again;
    }
    return toUtf8(w);
}

inline std::string textKey(const std::string &s)
{
    std::u32string out;
    for (char32_t c : toCodePoints(s)) {
        if (c >= 0xFF01 && c <= 0xFF5E)
            c -= 0xFEE0;
        if (c >= 'A' && c <= 'Z')
            c += 32;
        bool punct = (c < 0x80 && !((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) || c == 0x3000 ||
                     (c >= 0x3001 && c <= 0x3011) || (c >= 0x2010 && c <= 0x2027) || c == 0xB7 || c == 0xFF5E;
        if (!punct)
            out += c;
    }
    return toUtf8(out);
}

inline std::string trimmedName(const std::string &s)
{
    std::size_t b = s.find_first_not_of(' '), e = s.find_last_not_of(' ');
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// Whether each of the nine fields (in toList() order) counts as right.
inline std::array<bool, 9> lenientFields(const RecognizedAddress &got, const RecognizedAddress &want)
{
    return {trimmedName(got.name) == trimmedName(want.name),   digitsOf(got.mobile) == digitsOf(want.mobile),
            digitsOf(got.phone) == digitsOf(want.phone),       digitsOf(got.post) == digitsOf(want.post),
            placeKey(got.province) == placeKey(want.province), placeKey(got.city) == placeKey(want.city),
            placeKey(got.district) == placeKey(want.district), textKey(got.address) == textKey(want.address),
            textKey(got.company) == textKey(want.company)};
}

// Fields right per column and texts with all nine right, over a corpus.
struct LenientTally {
    int texts = 0;
    int allNine = 0;
    std::array<int, 9> fields{};
    // Texts where a company is written, and those where it was read right.
    int companies = 0, companiesRight = 0;

    void add(const RecognizedAddress &got, const RecognizedAddress &want)
    {
        const std::array<bool, 9> ok = lenientFields(got, want);
        ++texts;
        bool all = true;
        for (std::size_t i = 0; i < ok.size(); ++i) {
            fields[i] += ok[i];
            all = all && ok[i];
        }
        allNine += all;
        if (!want.company.empty()) {
            ++companies;
            companiesRight += ok[8];
        }
    }
    double percent(int n) const { return texts ? 100.0 * n / texts : 0.0; }
    // One row in the form | label | all nine | name | mobile | landline | post | province | city | district |
    // street | company |.
    std::string row(const std::string &label) const
    {
        char buf[96];
        std::snprintf(buf, sizeof buf, "| %s | %.1f%% (%d/%d) |", label.c_str(), percent(allNine), allNine, texts);
        std::string s = buf;
        // toList() order is name, mobile, landline, post, province, city, district, street, company: the
        // table's order.
        for (int f : fields) {
            std::snprintf(buf, sizeof buf, " %.1f |", percent(f));
            s += buf;
        }
        std::snprintf(buf, sizeof buf, " (company written %d, right %d)", companies, companiesRight);
        return s + buf;
    }
};

}
