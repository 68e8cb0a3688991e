#include "ui/data/ReportSort.h"

#include "core/text/Gbk.h"

#include <QStringEncoder>

#include <algorithm>
#include <cstring>

namespace zentra::ui {
namespace {

bool isHexDigit(QChar c)
{
    ushort u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

bool parseHex(const QString &text, std::string *digits)
{
    qsizetype i = 0;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X'))
        i = 2;
    if (i >= text.size())
        return false;
    for (qsizetype k = i; k < text.size(); ++k)
        if (!isHexDigit(text[k]))
            return false;
    while (i < text.size() - 1 && text[i] == u'0')
        ++i;
    digits->clear();
    digits->reserve(text.size() - i);
    for (; i < text.size(); ++i)
        digits->push_back(static_cast<char>(text[i].toUpper().unicode()));
    return true;
}

// Optional sign, digits with at most one point (at least one digit), and at
// most one "%" at the end.
bool parseDecimal(const QString &text, double *value)
{
    qsizetype end = text.size();
    if (end > 0 && text[end - 1] == u'%')
        --end;
    qsizetype i = 0;
    if (i < end && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    int digits = 0;
    int points = 0;
    for (qsizetype k = i; k < end; ++k) {
        if (isDigit(text[k]))
            ++digits;
        else if (text[k] == u'.' && ++points == 1)
            continue;
        else
            return false;
    }
    if (digits == 0)
        return false;
    bool ok = false;
    *value = text.left(end).toDouble(&ok);
    return ok;
}

// Reads 1 to maxDigits digits at text[*i].
bool readNumber(const QString &text, qsizetype *i, int maxDigits, int *value)
{
    int n = 0;
    int v = 0;
    while (*i < text.size() && isDigit(text[*i]) && n < maxDigits) {
        v = v * 10 + (text[*i].unicode() - '0');
        ++*i;
        ++n;
    }
    *value = v;
    return n > 0;
}

// Days from 1899-12-30 to the given civil date.
long long daysFrom1899(int y, int m, int d)
{
    // Howard Hinnant's days_from_civil, shifted to the 1899-12-30 epoch.
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468 + 25569;
}

bool parseTime(const QString &text, qsizetype *i, int *seconds)
{
    int h = 0, m = 0, s = 0;
    if (!readNumber(text, i, 2, &h) || *i >= text.size() || text[*i] != u':')
        return false;
    ++*i;
    if (!readNumber(text, i, 2, &m))
        return false;
    if (*i < text.size() && text[*i] == u':') {
        ++*i;
        if (!readNumber(text, i, 2, &s))
            return false;
    }
    if (h > 23 || m > 59 || s > 59)
        return false;
    *seconds = h * 3600 + m * 60 + s;
    return true;
}

const std::string &gbkOf(const QString &text, std::string *out)
{
    bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii) {
        *out = text.toStdString();
        return *out;
    }
    static thread_local QStringEncoder encoder("GB18030");
    if (encoder.isValid()) {
        QByteArray bytes = encoder.encode(text);
        out->assign(bytes.constData(), bytes.size());
    } else {
        *out = utf8ToGbk(text.toStdString());
    }
    return *out;
}

int compareBytes(const std::string &a, const std::string &b)
{
    int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
    if (c != 0)
        return c;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

}

bool parseReportDateTime(const QString &text, double *secondsSince1899)
{
    qsizetype i = 0;
    int seconds = 0;
    if (parseTime(text, &i, &seconds)) {
        if (i != text.size())
            return false;
        *secondsSince1899 = seconds;
        return true;
    }
    i = 0;
    int y = 0, m = 0, d = 0;
    if (!readNumber(text, &i, 4, &y) || i != 4 || i >= text.size())
        return false;
    const QChar sep = text[i];
    if (sep != u'-' && sep != u'/' && sep != u'.')
        return false;
    ++i;
    if (!readNumber(text, &i, 2, &m) || i >= text.size() || text[i] != sep)
        return false;
    ++i;
    if (!readNumber(text, &i, 2, &d))
        return false;
    static const int monthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (m < 1 || m > 12 || d < 1 || d > monthDays[m - 1] || (m == 2 && d == 29 && !leap))
        return false;
    seconds = 0;
    if (i < text.size()) {
        if (text[i] != u' ')
            return false;
        while (i < text.size() && text[i] == u' ')
            ++i;
        if (!parseTime(text, &i, &seconds) || i != text.size())
            return false;
    }
    *secondsSince1899 = static_cast<double>(daysFrom1899(y, m, d)) * 86400.0 + seconds;
    return true;
}

ReportSortKey reportSortKey(const QString &text, bool withText)
{
    ReportSortKey key;
    key.isHex = parseHex(text, &key.hexDigits);
    key.isDecimal = parseDecimal(text, &key.decimal);
    if (!key.isHex && !key.isDecimal)
        key.isDateTime = parseReportDateTime(text, &key.dateTime);
    if (withText)
        gbkOf(text, &key.text);
    return key;
}

int compareReportKeys(const ReportSortKey &a, const ReportSortKey &b)
{
    if (a.isHex && b.isHex) {
        if (a.hexDigits.size() != b.hexDigits.size())
            return a.hexDigits.size() < b.hexDigits.size() ? -1 : 1;
        return compareBytes(a.hexDigits, b.hexDigits);
    }
    if (a.isDecimal && b.isDecimal)
        return a.decimal < b.decimal ? -1 : a.decimal > b.decimal ? 1 : 0;
    if (a.isDateTime && b.isDateTime)
        return a.dateTime < b.dateTime ? -1 : a.dateTime > b.dateTime ? 1 : 0;
    return compareBytes(a.text, b.text);
}

int compareReportTexts(const QString &a, const QString &b)
{
    return compareReportKeys(reportSortKey(a), reportSortKey(b));
}

void mergeSortRows(std::vector<int>::iterator first, std::vector<int>::iterator last,
                   const std::function<bool(int, int)> &before)
{
    const std::ptrdiff_t n = last - first;
    if (n < 2)
        return;
    std::vector<int> buffer(n);
    int *src = &*first;
    int *dst = buffer.data();
    for (std::ptrdiff_t width = 1; width < n; width *= 2) {
        for (std::ptrdiff_t lo = 0; lo < n; lo += 2 * width) {
            std::ptrdiff_t mid = std::min(lo + width, n);
            std::ptrdiff_t hi = std::min(lo + 2 * width, n);
            std::ptrdiff_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi)
                dst[k++] = before(src[j], src[i]) ? src[j++] : src[i++];
            while (i < mid)
                dst[k++] = src[i++];
            while (j < hi)
                dst[k++] = src[j++];
        }
        std::swap(src, dst);
    }
    if (src != &*first)
        std::copy(src, src + n, first);
}

}
