#include "core/config/DataFolder.h"
#include "core/data/Schema.h"
#include "core/text/Gbk.h"
#include "core/waybill/HistoryStore.h"
#include "core/waybill/PrintListStore.h"
#include "core/waybill/WaybillSearch.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <random>

using namespace zentra;

namespace {

std::time_t localAt(int y, int mo, int d, int h, int mi, int s)
{
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

class HistoryStoreTest : public test::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(db.open(location(dir.file("t.db")), true)) << db.lastError();
        ASSERT_TRUE(createSchema(db)) << db.lastError();
        ASSERT_TRUE(ensureHistorySearchIndex(db));
    }

    std::int64_t printed(const std::string &receiver, const std::string &time)
    {
        WaybillRow row;
        row.cell(WaybillRow::ReceiverName) = receiver;
        row.cell(WaybillRow::PrintTime) = time;
        return insertWaybillRow(db, WaybillTable::PrintHistory, row);
    }

    static std::vector<std::string> receivers(const std::vector<WaybillRow> &rows)
    {
        std::vector<std::string> out;
        for (const WaybillRow &r : rows)
            out.push_back(r.cell(WaybillRow::ReceiverName));
        return out;
    }

    static std::vector<std::int64_t> idsOf(const std::vector<WaybillRow> &rows)
    {
        std::vector<std::int64_t> out;
        for (const WaybillRow &r : rows)
            out.push_back(r.printId());
        return out;
    }

    test::TempDir dir;
    DbConnection db;
};

ZENTRA_ON_BOTH_ENGINES(HistoryStoreTest);

}

TEST(HistoryPeriods, BoundsAtFixedClockTimes)
{
    const std::time_t t = localAt(2024, 3, 5, 10, 15, 42);
    struct Case {
        HistoryPeriod period;
        const char *from;
    } cases[] = {
        {HistoryPeriod::Today, "2024-03-05 00:00:00"},     {HistoryPeriod::TwoDays, "2024-03-04 00:00:00"},
        {HistoryPeriod::ThreeDays, "2024-03-03 00:00:00"}, {HistoryPeriod::Week, "2024-02-27 00:00:00"},
        {HistoryPeriod::Month, "2024-02-04 00:00:00"},     {HistoryPeriod::ThisMonth, "2024-03-01 00:00:00"},
    };
    for (const Case &c : cases) {
        const auto range = periodRange(c.period, t);
        ASSERT_TRUE(range);
        EXPECT_EQ(range->from, c.from) << historyPeriodNames()[static_cast<std::size_t>(c.period)];
        EXPECT_EQ(range->to, "2024-03-05 10:15:42");
    }
    EXPECT_FALSE(periodRange(HistoryPeriod::Custom, t));

    const TimeRange opening = openingRange(localAt(2024, 2, 29, 8, 0, 0));
    EXPECT_EQ(opening.from, "2024-02-01 00:00:00");
    EXPECT_EQ(opening.to, "2024-02-29 23:59:59");
}

TEST(HistoryPeriods, TimeTextsAreCheckedWhole)
{
    for (const char *good : {"2024-02-29 23:59:59", "2023-12-31 00:00:00"})
        EXPECT_TRUE(isTimeText(good)) << good;
    for (const char *bad : {"2023-02-29 10:00:00", "2024-13-01 00:00:00", "2024-01-01 24:00:00", "2024-01-01",
                            "2024-01-01T10:00:00", "2024-1-01 10:00:00", "2024-01-01 10:00:00'"})
        EXPECT_FALSE(isTimeText(bad)) << bad;
}

TEST_P(HistoryStoreTest, BoundsAreExclusiveAndTheOrdersDiffer)
{
    printed("乙", "2024-03-05 00:00:00"); // exactly "from": not listed
    printed("甲", "2024-03-05 09:00:00");
    printed("丙", "2024-03-05 10:15:00");
    printed("丁", "2024-03-05 10:16:00"); // after "今日" was chosen at 10:15
    const TimeRange today = *periodRange(HistoryPeriod::Today, localAt(2024, 3, 5, 10, 15, 30));

    bool ok = false;
    EXPECT_EQ(receivers(readHistory(db, today, "", HistoryOrder::NewestFirst, &ok)),
              (std::vector<std::string>{"丙", "甲"}));
    EXPECT_TRUE(ok);
    // By receiver name as the other lists sort names (pinyin order of the
    // common characters), ties by id.
    printed("b", "2024-03-05 09:30:00");
    printed("A", "2024-03-05 09:31:00");
    printed("A", "2024-03-05 09:32:00");
    const std::vector<WaybillRow> byName = readHistory(db, today, "", HistoryOrder::ByReceiver);
    EXPECT_EQ(receivers(byName), (std::vector<std::string>{"A", "A", "b", "丙", "甲"}));
    EXPECT_LT(byName[0].printId(), byName[1].printId());
}

TEST_P(HistoryStoreTest, SearchStaysInThePeriod)
{
    printed("张三", "2024-03-01 10:00:00");
    printed("张三丰", "2024-03-09 10:00:00");
    printed("李四", "2024-03-09 11:00:00");
    const TimeRange range{"2024-03-05 00:00:00", "2024-03-10 00:00:00"};
    EXPECT_EQ(receivers(readHistory(db, range, "张三", HistoryOrder::ByReceiver)),
              (std::vector<std::string>{"张三丰"}));
    EXPECT_EQ(receivers(readHistory(db, range, "张三丰", HistoryOrder::ByReceiver)),
              (std::vector<std::string>{"张三丰"}));
}

// The indexed search gives exactly the rows of the 32 LIKEs, whatever the
// rows and texts, also after rows changed and went away.
TEST_P(HistoryStoreTest, IndexedSearchMatchesThePlainSearchOnRandomData)
{
    std::mt19937 rng(20240305);
    const std::vector<std::string> pieces = {"张", "三", "丰", "李", "四", "省", "市", "区", "a", "B", "c", "D",
                                             "1",  "2",  "0",  "%",  "_",  "'",  "\"", " ",  "-", "é", "É", "😀"};
    auto randomText = [&](int maxLen) {
        std::string s;
        const int n = std::uniform_int_distribution<int>(0, maxLen)(rng);
        for (int i = 0; i < n; ++i)
            s += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(rng)];
        return s;
    };
    std::vector<std::string> stored;
    ASSERT_TRUE(db.executeScript("BEGIN"));
    for (int i = 0; i < 300; ++i) {
        WaybillRow row;
        for (int c = WaybillRow::TemplateName; c < WaybillRow::kColumnCount; ++c)
            row.cell(c) = randomText(6);
        for (int c = 11; c <= WaybillRow::ProtectMoney; ++c)
            row.cell(c) = std::to_string(std::uniform_int_distribution<int>(0, 300)(rng)) + ".5";
        row.cell(WaybillRow::PrintTime) = "2024-03-0" + std::to_string(1 + i % 9) + " 12:00:00";
        ASSERT_GT(insertWaybillRow(db, WaybillTable::PrintHistory, row), 0);
        stored.push_back(row.cell(WaybillRow::ReceiverName));
        stored.push_back(row.cell(24));
    }
    ASSERT_TRUE(db.executeScript("COMMIT"));
    // Changed and deleted rows must leave the index with them.
    ASSERT_GT(db.execute("update printHistory set raddress = rname || '市' where printId % 7 = 0"), 0);
    ASSERT_GT(db.execute("delete from printHistory where printId % 11 = 0"), 0);

    const TimeRange range{"2024-03-02 12:00:00", "2024-03-09 00:00:00"};
    int found = 0;
    for (int k = 0; k < 400; ++k) {
        std::string text;
        if (k % 2 == 0) {
            // Part of a stored text, in another ASCII case now and then.
            const std::string &s = stored[std::uniform_int_distribution<std::size_t>(0, stored.size() - 1)(rng)];
            text = std::string(utf8Truncate(s, 3 + k % 10));
            if (k % 4 == 0)
                for (char &ch : text)
                    ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        } else {
            text = randomText(5);
        }
        if (text.empty())
            continue;
        bool ok1 = false, ok2 = false;
        const auto fast = idsOf(readHistory(db, range, text, HistoryOrder::ByReceiver, &ok1));
        const auto plain = idsOf(readHistoryByScan(db, range, text, &ok2));
        ASSERT_TRUE(ok1 && ok2) << text << ": " << db.lastError();
        ASSERT_EQ(fast, plain) << "search text: " << text;
        found += fast.empty() ? 0 : 1;
    }
    EXPECT_GT(found, 100); // the texts did find rows
}
