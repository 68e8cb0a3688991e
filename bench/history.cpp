// The history with 1,000,000 printed waybills (500 a day for some five and a
// half years): the text search through the trigram index against the plain
// 32-column LIKE query, a period query, 100,000 rows into the history dialog,
// and moving 1,000 printed rows from the print list. Prints the figures and the
// index's size on disk.
//
//   QT_QPA_PLATFORM=offscreen build/bin/bench_history [ROWS] [--database URL]
#include "BenchDatabase.h"
#include "core/config/AppState.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/waybill/HistoryStore.h"
#include "core/waybill/PrintListStore.h"
#include "core/waybill/PrintStore.h"
#include "core/waybill/WaybillSearch.h"
#include "ui/common/Dialogs.h"
#include "ui/data/CReportCtrl.h"
#include "ui/printlist/CHistoryPrtList.h"
#include "ui/waybill/CQuorvelView.h"

#include <QApplication>
#include <QDateTimeEdit>
#include <QElapsedTimer>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace zentra;

namespace {

const char *const kSurnames[] = {"张", "李", "王", "赵", "钱", "孙", "周", "吴", "郑", "陈", "刘", "杨", "黄", "林"};
const char *const kGiven[] = {"伟", "芳", "娜", "敏", "静", "强", "磊", "军", "洋", "勇", "艳", "杰", "涛", "明"};
const char *const kCities[][3] = {{"浙江省", "杭州市", "西湖区"}, {"广东省", "深圳市", "南山区"},
                                  {"江苏省", "南京市", "玄武区"}, {"四川省", "成都市", "武侯区"},
                                  {"北京", "北京市", "朝阳区"},   {"湖北省", "武汉市", "洪山区"}};
const char *const kStreets[] = {"文三路", "科技园路", "中山路", "人民路", "建设大道", "解放路"};
const char *const kGoods[] = {"纯棉T恤", "保温杯", "蓝牙耳机", "手机壳", "连衣裙", "运动鞋", "茶叶礼盒", "USB数据线"};

double ms(QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

long long fileSize(const std::string &path)
{
    std::error_code ec;
    const auto n = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<long long>(n);
}

WaybillRow makeRow(unsigned &s, long i, std::time_t start, long rows)
{
    auto next = [&s] {
        s = s * 1664525u + 1013904223u;
        return s >> 8;
    };
    WaybillRow r;
    const auto *city = kCities[next() % 6];
    r.cell(WaybillRow::TemplateName) = next() % 3 ? "圆通" : "顺丰";
    r.cell(WaybillRow::ReceiverName) = std::string(kSurnames[next() % 14]) + kGiven[next() % 14] + kGiven[next() % 14];
    r.cell(WaybillRow::SenderName) = "王小店";
    r.cell(WaybillRow::OrderNo) = std::to_string(100000000000LL + next() % 900000000 * 997LL);
    r.cell(WaybillRow::ExpressNo) = std::to_string(880000000000LL + i * 7);
    r.cell(WaybillRow::PrintTime) = timeText(start + static_cast<std::time_t>(double(i) * 2000 * 86400 / rows));
    r.cell(WaybillRow::TradeTime) = r.cell(WaybillRow::PrintTime);
    r.cell(WaybillRow::CargoName) = kGoods[next() % 8];
    r.cell(11) = std::to_string(1 + next() % 3);
    r.cell(12) = "0.5";
    r.cell(13) = std::to_string(next() % 500) + ".5";
    r.cell(14) = "10";
    r.cell(15) = r.cell(13);
    r.cell(WaybillRow::ReceiverMobile) = "13" + std::to_string(100000000 + next() % 900000000);
    r.cell(20) = city[0];
    r.cell(21) = city[1];
    r.cell(22) = city[2];
    r.cell(23) = "310000";
    r.cell(24) = std::string(city[1]) + city[2] + kStreets[next() % 6] + std::to_string(next() % 900 + 1) + "号";
    r.cell(WaybillRow::SenderMobile) = "13900001111";
    r.cell(35) = "浙江省";
    r.cell(36) = "杭州市";
    r.cell(39) = "杭州市余杭区仓前街道 12 号";
    return r;
}

// Runs the indexed and the plain search `n` times each: their times in ms
// (best of n) and whether they found the same rows.
struct Compare {
    double indexed = 0, plain = 0;
    std::size_t rows = 0;
    bool same = false;
};

Compare compare(DbConnection &db, const TimeRange &all, const std::string &text, int n)
{
    Compare c;
    c.indexed = c.plain = 1e18;
    std::vector<WaybillRow> a, b;
    for (int k = 0; k < n; ++k) {
        QElapsedTimer t;
        t.start();
        a = readHistory(db, all, text, HistoryOrder::ByReceiver);
        c.indexed = std::min(c.indexed, ms(t));
        t.restart();
        b = readHistoryByScan(db, all, text);
        c.plain = std::min(c.plain, ms(t));
    }
    c.rows = a.size();
    c.same = a.size() == b.size();
    for (std::size_t i = 0; c.same && i < a.size(); ++i)
        c.same = a[i].printId() == b[i].printId();
    return c;
}

}

int main(int argc, char **argv)
{
    const bench::BenchDatabase database(argc, argv);
    QApplication app(argc, argv);
    std::setlocale(LC_ALL, "C");
    if (!database.ok()) {
        std::printf("no database: %s\n", database.error().c_str());
        return 1;
    }
    std::printf("engine: %s\n", database.engine());
    const long rows = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000000;
    char tmpl[] = "/tmp/zentra-bench-XXXXXX";
    if (!mkdtemp(tmpl))
        return 1;
    DataFolder folder(tmpl);
    database.use(folder);
    if (!initDataFolder(folder))
        return 1;
    const std::string path = folder.databasePath();
    DbConnection db;
    db.open(path);
    // Loaded without the index, which is then built from the table, as an
    // older database gets it when first opened.
    if (database.onServer())
        db.executeScript("drop index printHistory_text");
    else
        db.executeScript("drop trigger printHistory_search_insert; drop trigger printHistory_search_delete; "
                         "drop trigger printHistory_search_update; drop table printHistoryText; "
                         "drop table printHistorySearch; vacuum");

    const std::time_t start = std::time(nullptr) - 2000 * 86400L;
    QElapsedTimer t;
    t.start();
    unsigned seed = 12345;
    db.executeScript("BEGIN");
    for (long i = 0; i < rows; ++i)
        if (insertWaybillRow(db, WaybillTable::PrintHistory, makeRow(seed, i, start, rows)) == 0) {
            std::printf("insert failed: %s\n", db.lastError().c_str());
            return 1;
        }
    db.executeScript("COMMIT");
    std::printf("%ld history rows stored in %.0f ms\n", rows, ms(t));
    const long long before = fileSize(path);
    t.restart();
    if (!ensureHistorySearchIndex(db)) {
        std::printf("index failed: %s\n", db.lastError().c_str());
        return 1;
    }
    std::printf("search index built in %.0f ms\n", ms(t));
    if (database.onServer()) {
        db.executeScript("vacuum (analyze)");
        for (const DbRow &r : db.query("select pg_total_relation_size('printhistory') as whole, "
                                       "pg_relation_size('printhistory_text') as idx"))
            std::printf("history %.1f MB with its indexes; the trigram index takes %.1f MB\n", r.real("whole") / 1e6,
                        r.real("idx") / 1e6);
    } else {
        db.executeScript("vacuum");
        const long long after = fileSize(path);
        std::printf("database %.1f MB without the index, %.1f MB with it: the index takes %.1f MB\n", before / 1e6,
                    after / 1e6, (after - before) / 1e6);
        for (const DbRow &r : db.query("select case when name like 'printHistoryText%' then 'trigram index' "
                                       "else 'joined texts' end as part, sum(pgsize) as bytes from dbstat "
                                       "where name like 'printHistorySearch%' or name like 'printHistoryText%' "
                                       "group by part"))
            std::printf("  %s: %.1f MB\n", r.text("part").c_str(), r.real("bytes") / 1e6);
    }

    const TimeRange all{"2000-01-01 00:00:00", "2100-01-01 00:00:00"};
    std::printf("\n%-14s %8s %12s %12s %8s %s\n", "search text", "rows", "indexed ms", "LIKE ms", "faster", "same");
    const std::vector<std::string> texts = {"张伟芳", "13812", "科技园路12", "880000000777", "USB数据线",    "顺丰",
                                            "张伟",   "12",    "z",          "%路_1%",       "nothing here", "夏",
                                            "夏至"};
    for (const std::string &text : texts) {
        if (std::getenv("ZENTRA_BENCH_NO_SEARCH"))
            break;
        const Compare c = compare(db, all, text, 3);
        std::printf("%-14s %8zu %12.1f %12.1f %7.1fx %s\n", text.c_str(), c.rows, c.indexed, c.plain,
                    c.plain / c.indexed, c.same ? "yes" : "NO");
    }

    std::printf("\nperiod query plan:");
    for (const DbRow &r : db.query(std::string(database.onServer() ? "explain" : "explain query plan") +
                                       " select * from printHistory where printTime > ?1 and printTime < ?2 "
                                       "order by printId asc",
                                   {all.from, all.to}))
        std::printf(" %s;", r.at(r.size() - 1).c_str());
    std::printf("\n");
    // One day, and the last 100,000 rows.
    const std::time_t end = start + 2000 * 86400L;
    const TimeRange day{timeText(end - 86400), timeText(end)};
    t.restart();
    const std::size_t dayRows = readHistory(db, day, {}, HistoryOrder::ByReceiver).size();
    std::printf("period query of one day: %zu rows in %.1f ms\n", dayRows, ms(t));
    db.close();

    // 100,000 rows into the history dialog: the query's read, the grid's
    // fill and the first paint.
    {
        DbConnection d;
        d.open(path);
        const long first = std::max(0L, rows - 100000);
        const std::string from = d.query("select printTime from printHistory order by printId limit 1 offset ?",
                                         {std::max(0L, first - 1)})[0]
                                     .text("printTime");
        d.close();
        AppState state;
        ui::ScriptedDialogs dialogs;
        ui::CQuorvelView canvas(state, folder, dialogs);
        ui::CHistoryPrtList dlg(state, folder, dialogs, canvas);
        dlg.show();
        app.processEvents();
        const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
        dlg.findChild<QDateTimeEdit *>("fromPicker")
            ->setDateTime(QDateTime::fromString(QString::fromStdString(from), format));
        dlg.findChild<QDateTimeEdit *>("toPicker")->setDateTime(QDateTime::fromString("2100-01-01 00:00:00", format));
        QElapsedTimer shown;
        shown.start();
        dlg.query();
        dlg.grid()->repaint();
        app.processEvents();
        std::printf("history dialog: %d rows listed and shown in %.0f ms\n", dlg.grid()->rowCount(), ms(shown));
        DbConnection r;
        r.open(path);
        shown.restart();
        const std::size_t read = readHistory(r, dlg.pickedRange(), {}, HistoryOrder::ByReceiver).size();
        std::printf("  of which reading the %zu rows: %.0f ms\n", read, ms(shown));
        shown.restart();
        readHistory(r, dlg.pickedRange(), {}, HistoryOrder::NewestFirst);
        std::printf("  (the same rows newest first, no sort: %.0f ms)\n", ms(shown));
    }

    // Moving 1,000 printed rows.
    {
        DbConnection d;
        d.open(path);
        std::vector<std::int64_t> ids;
        unsigned s = 99;
        d.executeScript("BEGIN");
        for (int i = 0; i < 1000; ++i)
            ids.push_back(insertWaybillRow(d, WaybillTable::PrintList, makeRow(s, i, start, 1000)));
        d.executeScript("COMMIT");
        t.restart();
        const MoveResult moved = movePrintedRows(d, ids);
        std::printf("moved %zu printed rows to the history in %.0f ms (%s)\n", moved.moved.size(), ms(t),
                    moved.complete ? "complete" : d.lastError().c_str());
    }

    if (std::getenv("ZENTRA_BENCH_KEEP"))
        std::printf("data folder kept: %s\n", tmpl);
    else
        std::filesystem::remove_all(tmpl);
    return 0;
}
