// The receiver book with 100,000 entries: how long the dialog takes to open
// (grid filled and shown), a search over every column, and the import of a
// 100,000-row CSV file.
//
//   QT_QPA_PLATFORM=offscreen build/bin/bench_addressbook [--database URL]
#include "BenchDatabase.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/masterdata/BookCsv.h"
#include "core/masterdata/MasterBook.h"
#include "ui/common/Dialogs.h"
#include "ui/data/CReportCtrl.h"
#include "ui/masterdata/CReceiver.h"

#include <QApplication>
#include <QElapsedTimer>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace zentra;

namespace {

constexpr int kEntries = 100000;
const char *const kSurnames[] = {"张", "李", "王", "赵", "钱", "孙", "周", "吴", "郑", "陈"};
const char *const kGiven[] = {"伟", "芳", "娜", "敏", "静", "强", "磊", "军", "洋", "勇"};

std::string csvOf(int count)
{
    std::string csv = "姓名,手机,省份,城市,地址,备注\n";
    unsigned s = 7;
    for (int i = 0; i < count; ++i) {
        s = s * 1664525u + 1013904223u;
        csv += std::string(kSurnames[(s >> 8) % 10]) + kGiven[(s >> 12) % 10] + kGiven[(s >> 16) % 10] + ",13" +
               std::to_string(100000000 + i) + ",浙江省,杭州市,西湖区文三路" + std::to_string(i) + "号,\"备注, " +
               std::to_string(i % 97) + "\"\n";
    }
    return csv;
}

double ms(QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
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
    char tmpl[] = "/tmp/zentra-bench-XXXXXX";
    if (!mkdtemp(tmpl))
        return 1;
    DataFolder folder(tmpl);
    database.use(folder);
    if (!initDataFolder(folder))
        return 1;
    MasterBook book(folder.databasePath(), receiverBook());

    const std::string csv = csvOf(kEntries);
    QElapsedTimer t;
    t.start();
    CsvImport imported = importBookCsv(book, csv);
    std::printf("import of %d CSV rows: %.0f ms (%d new, %d updated, %zu skipped)\n", kEntries, ms(t),
                imported.inserted, imported.updated, imported.skipped.size());

    t.restart();
    DbRows all = book.list();
    std::printf("list of %zu entries by name: %.0f ms\n", all.size(), ms(t));

    t.restart();
    std::vector<std::int64_t> ids = book.listIds();
    std::printf("ids of %zu entries by name: %.0f ms\n", ids.size(), ms(t));

    {
        DbConnection db;
        db.open(folder.databasePath());
        t.restart();
        DbRows raw = db.query("select * from receiver");
        std::printf("the same rows unordered: %.0f ms\n", ms(t));
    }

    zentra::ui::ScriptedDialogs dialogs;
    t.restart();
    {
        zentra::ui::CReceiver dlg(folder.databasePath(), dialogs);
        std::printf("receiver book made (grid filled): %.0f ms\n", ms(t));
        dlg.show();
        QApplication::processEvents();
        std::printf("receiver book opened with %d rows shown: %.0f ms\n", dlg.grid()->rowCount(), ms(t));
        for (const char *text : {"zw", "文三路999", "不存在的文字"}) {
            t.restart();
            DbRows found = book.search(text);
            const double core = ms(t);
            const std::size_t count = found.size();
            dlg.fillGrid(std::move(found));
            QApplication::processEvents();
            std::printf("search \"%s\": %zu found, %.0f ms (grid filled: %.0f ms)\n", text, count, core, ms(t));
        }
    }
    t.restart();
    CsvImport again = importBookCsv(book, csv);
    std::printf("import of the same %d rows again (all updates): %.0f ms (%d updated)\n", kEntries, ms(t),
                again.updated);
    std::error_code ec;
    std::filesystem::remove_all(tmpl, ec);
    return 0;
}
