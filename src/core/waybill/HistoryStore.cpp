#include "core/waybill/HistoryStore.h"

#include "core/data/GbkCollation.h"
#include "core/waybill/WaybillSearch.h"

#include <algorithm>
#include <cstdio>

namespace zentra {
namespace {

constexpr std::time_t kDay = 86400;

std::tm localTime(std::time_t t)
{
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

std::string dateText(const std::tm &tm, bool firstOfMonth)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", tm.tm_year + 1900, tm.tm_mon + 1, firstOfMonth ? 1 : tm.tm_mday);
    return buf;
}

std::string midnightOf(std::time_t t)
{
    return dateText(localTime(t), false) + " 00:00:00";
}

// Rows come by printId; the receiver order (GBK bytes of the name, which
// no engine knows by itself) is made here, the same for both engines.
constexpr const char *kByPrintId = " order by printId asc";
constexpr const char *kNewestFirst = " order by printId desc";

const char *orderBy(HistoryOrder order)
{
    return order == HistoryOrder::NewestFirst ? kNewestFirst : kByPrintId;
}

std::vector<WaybillRow> ordered(std::vector<WaybillRow> rows, HistoryOrder order)
{
    if (order == HistoryOrder::ByReceiver) {
        std::vector<std::pair<std::string, std::size_t>> keys;
        keys.reserve(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i)
            keys.emplace_back(gbkSortKey(rows[i].cell(WaybillRow::ReceiverName)), i);
        // Stable: equal names keep their printId order.
        std::stable_sort(keys.begin(), keys.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        std::vector<WaybillRow> sorted;
        sorted.reserve(rows.size());
        for (const auto &k : keys)
            sorted.push_back(std::move(rows[k.second]));
        rows = std::move(sorted);
    }
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].cell(WaybillRow::RowNumber) = std::to_string(i + 1);
    return rows;
}

}

const std::array<const char *, 7> &historyPeriodNames()
{
    static const std::array<const char *, 7> names = {"今日", "近二天", "近三天", "近一周", "近一月", "本月", "自定义"};
    return names;
}

std::string timeText(std::time_t t)
{
    const std::tm tm = localTime(t);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

bool isTimeText(std::string_view text)
{
    if (text.size() != 19)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool sep = i == 4 || i == 7 || i == 10 || i == 13 || i == 16;
        const char want = i == 10 ? ' ' : (i == 13 || i == 16) ? ':' : '-';
        if (sep ? c != want : (c < '0' || c > '9'))
            return false;
    }
    auto num = [&](std::size_t at, std::size_t n) {
        int v = 0;
        for (std::size_t i = at; i < at + n; ++i)
            v = v * 10 + (text[i] - '0');
        return v;
    };
    const int y = num(0, 4), m = num(5, 2), d = num(8, 2);
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12 || d < 1)
        return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (d > days[m - 1] + (m == 2 && leap ? 1 : 0))
        return false;
    return num(11, 2) < 24 && num(14, 2) < 60 && num(17, 2) < 60;
}

TimeRange openingRange(std::time_t now)
{
    const std::tm tm = localTime(now);
    return {dateText(tm, true) + " 00:00:00", dateText(tm, false) + " 23:59:59"};
}

std::optional<TimeRange> periodRange(HistoryPeriod period, std::time_t now)
{
    const std::string to = timeText(now);
    switch (period) {
    case HistoryPeriod::Today:
        return TimeRange{midnightOf(now), to};
    case HistoryPeriod::TwoDays:
        return TimeRange{midnightOf(now - kDay), to};
    case HistoryPeriod::ThreeDays:
        return TimeRange{midnightOf(now - 2 * kDay), to};
    case HistoryPeriod::Week:
        return TimeRange{midnightOf(now - 7 * kDay), to};
    case HistoryPeriod::Month:
        return TimeRange{midnightOf(now - 30 * kDay), to};
    case HistoryPeriod::ThisMonth:
        return TimeRange{dateText(localTime(now), true) + " 00:00:00", to};
    case HistoryPeriod::Custom:
        break;
    }
    return std::nullopt;
}

std::vector<WaybillRow> readHistory(DbConnection &db, const TimeRange &range, std::string_view text, HistoryOrder order,
                                    bool *ok)
{
    if (text.empty())
        return ordered(
            queryWaybillRows(db,
                             std::string("select * from printHistory where printTime > ?1 and printTime < ?2") +
                                 orderBy(order),
                             {range.from, range.to}, ok),
            order);
    if (!ensureHistorySearchIndex(db)) {
        if (ok)
            *ok = false;
        return {};
    }
    // The index narrows the rows down; the 32 LIKEs then decide, so the rows
    // found are exactly those of the plain search.
    const HistoryTextFilter filter = historyTextFilter(db.dialect(), text);
    const std::string narrowed = filter.sql.empty() ? std::string() : filter.sql + " and ";
    return ordered(queryWaybillRows(db,
                                    "select * from printHistory where " + narrowed +
                                        "printTime > ?3 and printTime < ?4 and " +
                                        waybillTextCondition(db.dialect(), text) + orderBy(order),
                                    {likePattern(text), filter.argument, range.from, range.to}, ok),
                   order);
}

std::vector<WaybillRow> readHistoryByScan(DbConnection &db, const TimeRange &range, std::string_view text, bool *ok)
{
    return ordered(queryWaybillRows(db,
                                    "select * from printHistory where printTime > ?2 and printTime < ?3 and " +
                                        waybillTextCondition(db.dialect(), text) + kByPrintId,
                                    {likePattern(text), range.from, range.to}, ok),
                   HistoryOrder::ByReceiver);
}

}
