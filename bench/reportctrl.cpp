// Fills a report list with 100,000 rows of 22 columns and sorts it by a number,
// a date and a text column, printing the time each step takes.
//
//   QT_QPA_PLATFORM=offscreen build/bin/bench_reportctrl
#include "ui/data/CReportCtrl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>

#include <clocale>
#include <cstdio>
#include <vector>

using zentra::ui::CReportCtrl;

namespace {

constexpr int kRows = 100000;
constexpr int kColumns = 22;

const char16_t *const kNames[] = {u"张三", u"李四", u"王芳", u"赵丽", u"钱伟", u"孙强", u"周杰", u"吴敏"};

QString spec()
{
    QString s = QStringLiteral("选择,40,1; 行号,60,1");
    for (int c = 2; c < kColumns; ++c)
        s += QStringLiteral("; 列%1,90,0").arg(c);
    return s;
}

// Deterministic pseudo-random numbers, so every run sorts the same data.
unsigned next(unsigned &state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

double ms(QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e6;
}

void settle(QApplication &app)
{
    app.processEvents();
    app.processEvents();
}

}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    CReportCtrl list;
    list.resize(1200, 700);
    list.show();
    list.setColumns(spec());
    settle(app);

    // The texts are made first so that the timing covers the list only.
    unsigned state = 1;
    std::vector<QStringList> data(kRows);
    for (int r = 0; r < kRows; ++r) {
        QStringList &row = data[r];
        row << QString() << QString::number(r + 1) << QString::fromUtf16(kNames[next(state) % 8])
            << QString::number(next(state) % 100000 / 100.0, 'f', 2)
            << QStringLiteral("2026-%1-%2 %3:%4:00")
                   .arg(next(state) % 12 + 1, 2, 10, QLatin1Char('0'))
                   .arg(next(state) % 28 + 1, 2, 10, QLatin1Char('0'))
                   .arg(next(state) % 24, 2, 10, QLatin1Char('0'))
                   .arg(next(state) % 60, 2, 10, QLatin1Char('0'));
        for (int c = 5; c < kColumns; ++c)
            row << QStringLiteral("单元格%1-%2").arg(next(state) % 1000).arg(c);
    }

    // Owner style: insert a row, then set each cell's text.
    QElapsedTimer t;
    t.start();
    for (int r = 0; r < kRows; ++r) {
        int row = list.insertRow(list.rowCount(), QString());
        for (int c = 1; c < kColumns; ++c)
            list.setCellText(row, c, data[r][c]);
    }
    const double fillMs = ms(t);
    t.restart();
    settle(app);
    list.viewport()->repaint();
    const double paintMs = ms(t);

    // Bulk append, for comparison.
    CReportCtrl bulk;
    bulk.setColumns(spec());
    t.restart();
    for (int r = 0; r < kRows; ++r)
        bulk.appendRow(data[r]);
    const double appendMs = ms(t);

    struct SortCase {
        const char *what;
        int column;
        bool ascending;
    };
    const SortCase sorts[] = {
        {"row number (integers), descending", 1, false}, {"amount (decimals), ascending", 3, true},
        {"time (date/time), ascending", 4, true},        {"name (Chinese text), ascending", 2, true},
        {"mixed text column, ascending", 7, true},       {"same column again, descending", 7, false},
    };

    std::printf("report list: %d rows x %d columns\n", kRows, kColumns);
    std::printf("  fill (insertRow + %d x setCellText per row): %8.1f ms\n", kColumns - 1, fillMs);
    std::printf("  first paint after fill:                     %8.1f ms\n", paintMs);
    std::printf("  fill (appendRow with all texts):            %8.1f ms\n", appendMs);
    for (const auto &s : sorts) {
        t.restart();
        list.sortRows(s.column, s.ascending);
        const double sortMs = ms(t);
        t.restart();
        settle(app);
        list.viewport()->repaint();
        std::printf("  sort by %-34s %8.1f ms (repaint %.1f ms)\n", s.what, sortMs, ms(t));
    }
    list.selectAll();
    t.restart();
    list.sortRows(2, false);
    std::printf("  sort by name with every row selected:       %8.1f ms\n", ms(t));
    t.restart();
    list.deleteAllRows();
    std::printf("  delete all rows:                            %8.1f ms\n", ms(t));
    return 0;
}
