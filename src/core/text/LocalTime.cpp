#include "core/text/LocalTime.h"

#include <cstdio>
#include <ctime>

namespace zentra {

std::string localTimeNow()
{
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    return buf;
}

namespace {

// Reads 1 to `maxDigits` digits at `i`.
bool number(std::string_view s, std::size_t &i, int &value, std::size_t maxDigits)
{
    const std::size_t start = i;
    value = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && i - start < maxDigits)
        value = value * 10 + (s[i++] - '0');
    return i > start;
}

bool expect(std::string_view s, std::size_t &i, char c)
{
    if (i < s.size() && s[i] == c) {
        ++i;
        return true;
    }
    return false;
}

int daysIn(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

}

std::optional<std::string> normalTimeText(std::string_view text)
{
    std::size_t i = 0;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (!number(text, i, y, 4) || i != 4 || i >= text.size())
        return std::nullopt;
    const char sep = text[i];
    if ((sep != '-' && sep != '/') || !expect(text, i, sep) || !number(text, i, mo, 2) || !expect(text, i, sep) ||
        !number(text, i, d, 2))
        return std::nullopt;
    if (i < text.size()) {
        if (!expect(text, i, ' ') || !number(text, i, h, 2) || !expect(text, i, ':') || !number(text, i, mi, 2))
            return std::nullopt;
        if (i < text.size() && (!expect(text, i, ':') || !number(text, i, s, 2) || i != text.size()))
            return std::nullopt;
    }
    if (y < 1000 || mo < 1 || mo > 12 || d < 1 || d > daysIn(y, mo) || h > 23 || mi > 59 || s > 59)
        return std::nullopt;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
    return std::string(buf);
}

}
