#pragma once

#include "core/data/DbConnection.h"
#include "core/waybill/WaybillRow.h"

#include <array>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentra {

// The periods the history dialog offers, in the order of its list.
enum class HistoryPeriod { Today, TwoDays, ThreeDays, Week, Month, ThisMonth, Custom };
const std::array<const char *, 7> &historyPeriodNames();

// A period of print times as "%Y-%m-%d %H:%M:%S" texts; both bounds are
// exclusive.
struct TimeRange {
    std::string from;
    std::string to;
};

// `t` in local time as "%Y-%m-%d %H:%M:%S".
std::string timeText(std::time_t t);
// Whether `text` is a time in exactly that form (a real date and time of day).
bool isTimeText(std::string_view text);

// The period the history opens with: the first day of the month of `now` at
// 00:00:00 to the day of `now` at 23:59:59.
TimeRange openingRange(std::time_t now);
// A period chosen at time `now` (days are 86400 seconds back from it, each
// from its date's midnight), up to `now` itself. None for "自定义", which
// keeps the bounds the user set.
std::optional<TimeRange> periodRange(HistoryPeriod period, std::time_t now);

// The history rows printed strictly between the bounds. NewestFirst is the
// order the dialog opens with; ByReceiver (by receiver name in the lists'
// pinyin order, collation GBK, ties by `printId`) the order of a query. With a search text only the rows the text
// finds (see WaybillSearch.h) are given, through the history's search index.
enum class HistoryOrder { NewestFirst, ByReceiver };
std::vector<WaybillRow> readHistory(DbConnection &db, const TimeRange &range, std::string_view text, HistoryOrder order,
                                    bool *ok = nullptr);

// The same rows found by the 32 LIKEs alone, without the index: the meaning
// the indexed search keeps, for comparisons.
std::vector<WaybillRow> readHistoryByScan(DbConnection &db, const TimeRange &range, std::string_view text,
                                          bool *ok = nullptr);

}
