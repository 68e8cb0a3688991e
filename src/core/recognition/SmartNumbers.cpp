// The smart recognition's phone numbers and post codes: mobiles however they
// are grouped or prefixed, masked or with a shop's extension; landlines with
// and without area code; a room number glued to the mobile; ID and order
// numbers thrown away.
#include "core/recognition/SmartText.h"

#include <algorithm>

namespace zentra::smart {

// ---- numbers --------------------------------------------------------------

namespace {

struct Group {
    std::size_t begin, end;
};

bool mobileDigits(std::u32string_view d)
{
    return d.size() == 11 && d[0] == '1' && d[1] >= '3' && d[1] <= '9';
}

std::string ascii(std::u32string_view d)
{
    std::string s;
    for (char32_t c : d)
        s += static_cast<char>(c);
    return s;
}

// Area code length of a landline written without a dash: 010 and 02x are
// three digits, the others four.
std::size_t areaLength(std::u32string_view d)
{
    return d.size() > 1 && (d[1] == '1' || d[1] == '2') ? 3 : 4;
}

bool joiner(char32_t c)
{
    return c == ' ' || c == '-' || c == '(' || c == ')' || c == '+';
}

}

void readNumbers(Text &t)
{
    const std::u32string &w = t.w;
    std::vector<Group> groups;
    std::size_t i = 0;
    while (i < w.size()) {
        bool start = t.freeAt(i) && (isDigit(w[i]) || ((w[i] == '+' || w[i] == '(') && t.freeAt(i + 1) &&
                                                       i + 1 < w.size() && isDigit(w[i + 1])));
        if (!start) {
            ++i;
            continue;
        }
        // A mobile masked on an order page: 138****0000.
        if (i + 11 <= w.size() && (i == 0 || !isDigit(w[i - 1])) && (i + 11 == w.size() || !isDigit(w[i + 11]))) {
            std::u32string_view m = std::u32string_view(w).substr(i, 11);
            bool masked = m[0] == '1' && std::all_of(m.begin(), m.begin() + 3, isDigit) &&
                          std::all_of(m.begin() + 3, m.begin() + 7, [](char32_t c) { return c == '*'; }) &&
                          std::all_of(m.begin() + 7, m.end(), isDigit);
            if (masked) {
                if (t.r.mobile.empty())
                    t.r.mobile = toUtf8(m);
                t.set(i, i + 11, Mark::Number);
                t.numbers.push_back(NumberAt{i, i + 11, NumberAt::Mobile});
                i += 11;
                continue;
            }
        }
        // A run of digit groups joined by spaces, dashes, brackets and a plus.
        groups.clear();
        std::size_t j = i;
        while (j < w.size()) {
            if (isDigit(w[j]) && t.freeAt(j)) {
                std::size_t k = j;
                while (k < w.size() && isDigit(w[k]) && t.freeAt(k))
                    ++k;
                groups.push_back(Group{j, k});
                j = k;
            } else if (joiner(w[j]) && (t.freeAt(j) || t.mark[j] == Mark::Space)) {
                std::size_t k = j;
                while (k < w.size() && joiner(w[k]) && (t.freeAt(k) || t.mark[k] == Mark::Space))
                    ++k;
                if (k - j > 3 || k >= w.size() || !isDigit(w[k]) || !t.freeAt(k))
                    break;
                j = k;
            } else {
                break;
            }
        }
        auto digits = [&w](const Group &g) { return std::u32string_view(w).substr(g.begin, g.end - g.begin); };
        // Digits glued to Latin letters are a code (an ID card's X, a room A12),
        // never a phone number.
        // A masked name may be glued before a number (孙xy15866712208).
        auto gluedToLetter = [&w](const Group &g) {
            if (g.end < w.size() && isLatin(w[g.end]))
                return true;
            std::size_t k = g.begin;
            while (k > 0 && isLatin(w[k - 1]))
                --k;
            return k < g.begin && !(g.begin - k <= 3 && k > 0 && isCjk(w[k - 1]));
        };
        std::size_t g = 0;
        while (g < groups.size()) {
            const std::u32string_view a = digits(groups[g]);
            std::size_t used = 0;
            std::size_t from = groups[g].begin;
            std::string value;
            enum { None, Mobile, Phone, Post, Drop } kind = None;
            // Country code in front of a mobile: 86, 0086, +86.
            std::size_t first = g;
            if ((a == U"86" || a == U"0086") && g + 1 < groups.size())
                first = g + 1;
            // A mobile number, whole or written in groups (138 0013 8000).
            char32_t buffer[16];
            std::size_t joinedSize = 0;
            for (std::size_t k = first; k < groups.size() && k < first + 4 && kind == None; ++k) {
                const std::u32string_view part = digits(groups[k]);
                if (joinedSize + part.size() > 15)
                    break;
                std::copy(part.begin(), part.end(), buffer + joinedSize);
                joinedSize += part.size();
                std::u32string_view d(buffer, joinedSize);
                if (d.size() == 13 && d.substr(0, 2) == U"86" && k == first)
                    d.remove_prefix(2);
                else if (d.size() == 15 && d.substr(0, 4) == U"0086" && k == first)
                    d.remove_prefix(4);
                if (mobileDigits(d) && !gluedToLetter(groups[k])) {
                    kind = Mobile;
                    value = ascii(d);
                    used = k + 1 - g;
                }
            }
            if (kind == None && a.size() >= 3 && a.size() <= 4 && a[0] == '0' && g + 1 < groups.size() &&
                digits(groups[g + 1]).size() >= 7 && digits(groups[g + 1]).size() <= 8) {
                kind = Phone;
                value = ascii(a) + "-" + ascii(digits(groups[g + 1]));
                used = 2;
                if (g + 2 < groups.size() && digits(groups[g + 2]).size() <= 5 && w[groups[g + 2].begin - 1] == '-') {
                    value += "-" + ascii(digits(groups[g + 2]));
                    used = 3;
                }
            }
            // The local number written in two halves: (0755) 8888 1234.
            if (kind == None && a.size() >= 3 && a.size() <= 4 && a[0] == '0' && g + 2 < groups.size() &&
                digits(groups[g + 1]).size() >= 3 && digits(groups[g + 1]).size() <= 4 &&
                digits(groups[g + 2]).size() >= 3 && digits(groups[g + 2]).size() <= 4 &&
                digits(groups[g + 1]).size() + digits(groups[g + 2]).size() >= 7) {
                kind = Phone;
                value = ascii(a) + "-" + ascii(digits(groups[g + 1])) + ascii(digits(groups[g + 2]));
                used = 3;
            }
            if (kind == None && a.size() >= 10 && a.size() <= 12 && a[0] == '0' && a[1] != '0' &&
                !gluedToLetter(groups[g])) {
                std::size_t al = areaLength(a);
                std::size_t rest = a.size() - al;
                if (rest >= 7 && rest <= 8) {
                    kind = Phone;
                    value = ascii(a.substr(0, al)) + "-" + ascii(a.substr(al));
                    used = 1;
                }
            }
            // A room number glued to the mobile after it: 2单元502 13912345678
            // written as 2单元50213912345678.
            if (kind == None && a.size() >= 12 && a.size() <= 15 && mobileDigits(a.substr(a.size() - 11)) &&
                groups[g].begin > 0 && (isCjk(w[groups[g].begin - 1]) || w[groups[g].begin - 1] == '-')) {
                kind = Mobile;
                value = ascii(a.substr(a.size() - 11));
                from = groups[g].end - 11;
                used = 1;
            }
            // A local landline without its area code, alone or after its label.
            if (kind == None && groups.size() == 1 && (a.size() == 7 || a.size() == 8) && a[0] >= '2' &&
                (groups[g].begin == 0 || !t.freeAt(groups[g].begin - 1)) &&
                (groups[g].end == w.size() || !t.freeAt(groups[g].end))) {
                kind = Phone;
                value = ascii(a);
                used = 1;
            }
            if (kind == None && a.size() == 6 && a[0] <= '8' && !gluedToLetter(groups[g]) &&
                (groups[g].begin == 0 || !isCjk(w[groups[g].begin - 1]) ||
                 t.mark[groups[g].begin - 1] == Mark::Label)) {
                kind = Post;
                value = ascii(a);
                used = 1;
            }
            if (kind == None && a.size() >= 12) {
                kind = Drop; // an ID card, an order or tracking number
                used = 1;
            }
            if (kind == None) {
                ++g;
                continue;
            }
            std::size_t to = groups[g + used - 1].end;
            if (kind == Drop && to < w.size() && (w[to] == 'X' || w[to] == 'x'))
                ++to;
            // An extension: 021-64370011转206, and the extension of a shop's
            // privacy number: 18812345601-2231.
            if (kind == Mobile && g + used < groups.size() && w[groups[g + used].begin - 1] == '-' &&
                groups[g + used].begin == to + 1 && digits(groups[g + used]).size() >= 3 &&
                digits(groups[g + used]).size() <= 5) {
                value += "-" + ascii(digits(groups[g + used]));
                to = groups[g + used].end;
                ++used;
            }
            if ((kind == Phone || kind == Mobile) && to + 1 < w.size() && (w[to] == U'转' || w[to] == '#') &&
                isDigit(w[to + 1]) && t.freeAt(to)) {
                std::size_t k = to + 1;
                while (k < w.size() && isDigit(w[k]) && k - to <= 5)
                    ++k;
                value += "-" + ascii(std::u32string_view(w).substr(to + 1, k - to - 1));
                to = k;
            }
            if (kind == Mobile && t.r.mobile.empty())
                t.r.mobile = value;
            else if (kind == Phone && t.r.phone.empty())
                t.r.phone = value;
            else if (kind == Post && t.r.post.empty())
                t.r.post = value;
            // A leading + or bracket belongs to the number.
            if (from > 0 && (w[from - 1] == '+' || w[from - 1] == '(') && t.freeAt(from - 1))
                --from;
            if (to < w.size() && w[to] == ')' && t.freeAt(to))
                ++to;
            t.set(from, to, kind == Drop ? Mark::Dropped : Mark::Number);
            if (kind != Drop)
                t.numbers.push_back(NumberAt{from, to,
                                             kind == Mobile  ? NumberAt::Mobile
                                             : kind == Phone ? NumberAt::Phone
                                                             : NumberAt::Post});
            g += used;
        }
        i = std::max(j, i + 1);
    }
}

}
