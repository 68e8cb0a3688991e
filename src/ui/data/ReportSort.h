#pragma once

#include <QString>

#include <functional>
#include <string>
#include <vector>

namespace zentra::ui {

// How the report list orders two cell texts of the sort column, with everything
// it needs precomputed once per row so that a sort never parses a text twice.
//
// Two texts compare as hexadecimal numbers when both are non-empty hexadecimal
// numbers; else as decimal numbers when both are (a number may end in one "%");
// else as date/time values when both parse as one; else as text in GBK byte
// order, which puts the common Chinese characters in pinyin order.
struct ReportSortKey {
    bool isHex = false;
    bool isDecimal = false;
    bool isDateTime = false;
    std::string hexDigits; // upper case, without "0x" and leading zeros
    double decimal = 0;
    double dateTime = 0; // seconds since 1899-12-30 00:00:00
    std::string text;    // GBK bytes; only filled when asked for
};

ReportSortKey reportSortKey(const QString &text, bool withText = true);

// Negative, zero or positive as a sorts before, with or after b (ascending).
int compareReportKeys(const ReportSortKey &a, const ReportSortKey &b);
int compareReportTexts(const QString &a, const QString &b);

// Date and time texts: "2024-03-05", "2024/3/5", "2024.3.5", each optionally
// followed by " 8:30" or " 08:30:15", or a time alone. False when the text is
// none of these or names no real date.
bool parseReportDateTime(const QString &text, double *secondsSince1899);

// A stable merge sort of row numbers. Unlike std::sort it stays within its
// range whatever the comparison answers, which matters here: the comparison
// above is not transitive over mixed columns (a number, a word and a date).
void mergeSortRows(std::vector<int>::iterator first, std::vector<int>::iterator last,
                   const std::function<bool(int, int)> &before);

}
