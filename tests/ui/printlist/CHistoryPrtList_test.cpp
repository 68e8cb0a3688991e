#include "core/config/AppState.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/templates/TemplateFile.h"
#include "core/waybill/PrintStore.h"
#include "support/TempDir.h"
#include "ui/common/Dialogs.h"
#include "ui/data/CReportCtrl.h"
#include "ui/printlist/CHistoryPrtList.h"
#include "ui/printlist/CPrintList.h"
#include "ui/waybill/CQuorvelView.h"
#include "ui/waybill/MyEdit.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace zentra;
using namespace zentra::ui;
using Answer = Dialogs::Answer;

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

struct Fixture {
    test::TempDir dir;
    DataFolder folder{dir.path()};
    AppState state;
    ScriptedDialogs dialogs;
    std::unique_ptr<CQuorvelView> canvas;
    std::time_t now = localAt(2024, 3, 5, 10, 15, 30);

    Fixture()
    {
        initDataFolder(folder);
        Template t;
        TemplateItem it;
        it.id = 120;
        it.right = 300;
        it.bottom = 30;
        t.items[20] = it;
        saveTemplateFile(folder.templateDir() + "sf.ttp", t);
        canvas = std::make_unique<CQuorvelView>(state, folder, dialogs);
    }

    void printed(const std::string &receiver, const std::string &time)
    {
        WaybillRow row;
        row.cell(WaybillRow::TemplateName) = "sf";
        row.cell(WaybillRow::ReceiverName) = receiver;
        row.cell(WaybillRow::PrintTime) = time;
        DbConnection db;
        db.open(folder.databasePath());
        insertWaybillRow(db, WaybillTable::PrintHistory, row);
    }

    int historyRows()
    {
        DbConnection db;
        db.open(folder.databasePath());
        return static_cast<int>(db.query("select printId from printHistory").size());
    }

    std::unique_ptr<CHistoryPrtList> open()
    {
        auto dlg = std::make_unique<CHistoryPrtList>(state, folder, dialogs, *canvas, [this] { return now; });
        dlg->show();
        dlg->activateWindow();
        if (!QTest::qWaitForWindowActive(dlg.get()))
            qWarning("the dialog did not become active");
        return dlg;
    }
};

QStringList names(const CReportCtrl &grid)
{
    QStringList out;
    for (int r = 0; r < grid.rowCount(); ++r)
        out << grid.cellText(r, 3);
    return out;
}

void click(QWidget *w, const char *name)
{
    auto *b = w->findChild<QPushButton *>(QString::fromLatin1(name));
    QVERIFY(b);
    QTest::mouseClick(b, Qt::LeftButton);
}

}

class CHistoryPrtListTest : public QObject {
    Q_OBJECT
private slots:
    void theSearchBoxHasTheRoomOfThePrintLists()
    {
        Fixture f;
        auto history = f.open();
        CPrintList list(f.state, f.folder, f.dialogs, *f.canvas);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        auto *box = history->findChild<QLineEdit *>("searchEdit");
        auto *listBox = list.findChild<QLineEdit *>("searchEdit");
        QVERIFY(box->width() >= listBox->width());
        // A mobile number and an address fit.
        QVERIFY(box->width() > box->fontMetrics().horizontalAdvance(QStringLiteral("13800138000 浙江省杭州市西湖区")));
        // The dialog still fits a 1024 pixels wide screen.
        QVERIFY(history->minimumSizeHint().width() <= 1000);
        QVERIFY(history->width() <= 1024);
    }

    void opensWithThisMonthNewestFirst()
    {
        Fixture f;
        f.printed("乙", "2024-02-29 23:00:00"); // last month
        f.printed("甲", "2024-03-01 08:00:00");
        f.printed("丙", "2024-03-05 23:00:00"); // later today still counts
        f.printed("丁", "2024-03-06 00:00:00");
        auto dlg = f.open();
        QCOMPARE(names(*dlg->grid()), (QStringList{"丙", "甲"}));
        QCOMPARE(dlg->grid()->rowHeight(0), 24);
        QCOMPARE(dlg->periods()->currentText(), QStringLiteral("近一月"));
        QCOMPARE(dlg->periods()->count(), 7);
        QCOMPARE(dlg->pickedRange().from, std::string("2024-03-01 00:00:00"));
        QCOMPARE(dlg->pickedRange().to, std::string("2024-03-05 23:59:59"));
    }

    void periodsSetThePickersAndTheQueryKeepsToThem()
    {
        Fixture f;
        f.printed("at from", "2024-03-05 00:00:00");
        f.printed("张三", "2024-03-05 09:00:00");
        f.printed("李四", "2024-03-05 10:00:00");
        f.printed("later", "2024-03-05 10:16:00");
        f.printed("yesterday", "2024-03-04 10:00:00");
        auto dlg = f.open();

        // "今日" at 10:15: a row printed at 10:16 is not found, nor one at
        // exactly "from".
        emit dlg->periods()->activated(0);
        QCOMPARE(dlg->pickedRange().from, std::string("2024-03-05 00:00:00"));
        QCOMPARE(dlg->pickedRange().to, std::string("2024-03-05 10:15:30"));
        QCOMPARE(names(*dlg->grid()).size(), 5); // not refilled before the query
        click(dlg.get(), "queryButton");
        QCOMPARE(names(*dlg->grid()), (QStringList{"李四", "张三"})); // in pinyin order

        emit dlg->periods()->activated(1); // "近二天": yesterday and today
        QCOMPARE(dlg->pickedRange().from, std::string("2024-03-04 00:00:00"));
        dlg->findChild<QLineEdit *>("searchEdit")->setText(QStringLiteral("张"));
        click(dlg.get(), "queryButton");
        QCOMPARE(names(*dlg->grid()), (QStringList{"张三"}));

        // A picker changed by hand makes the period "自定义".
        auto *from = dlg->findChild<QDateTimeEdit *>("fromPicker");
        from->setDateTime(from->dateTime().addDays(-1));
        QCOMPARE(dlg->periods()->currentText(), QStringLiteral("自定义"));
        emit dlg->periods()->activated(6);
        QCOMPARE(dlg->pickedRange().from, std::string("2024-03-03 00:00:00"));
    }

    void deletesOnlyTheListedRows()
    {
        Fixture f;
        f.printed("甲", "2024-03-02 08:00:00");
        f.printed("乙", "2024-03-03 08:00:00");
        f.printed("丙", "2024-03-04 08:00:00");
        f.printed("old", "2023-12-01 08:00:00");
        auto dlg = f.open();
        click(dlg.get(), "deleteTickedButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("请勾选需要删除的历史单据"));
        dlg->grid()->setChecked(0, true);
        click(dlg.get(), "deleteTickedButton");
        QCOMPARE(f.dialogs.asked.back().caption, QStringLiteral("历史单据 - 删除"));
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("您确认删除当前选中的历史单据吗？"));
        QCOMPARE(names(*dlg->grid()), (QStringList{"乙", "甲"}));
        QCOMPARE(f.historyRows(), 3);

        f.dialogs.answers = {Answer::Cancel};
        click(dlg.get(), "deleteAllButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("您确认删除所有的历史单据吗？"));
        QCOMPARE(f.historyRows(), 3);
        click(dlg.get(), "deleteAllButton");
        QCOMPARE(dlg->grid()->rowCount(), 0);
        QCOMPARE(f.historyRows(), 1); // last year's row was not listed
    }

    void opensTheSelectedWaybill()
    {
        Fixture f;
        f.printed("张三", "2024-03-02 08:00:00");
        auto dlg = f.open();
        click(dlg.get(), "openButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("没有选择需要打开的历史单据"));
        dlg->grid()->selectRow(0);
        QTest::keyClick(dlg.get(), Qt::Key_O, Qt::ControlModifier);
        QVERIFY(f.canvas->item(20));
        QCOMPARE(f.canvas->item(20)->toPlainText(), QStringLiteral("张三"));
        QVERIFY(!f.state.waybillModified);
    }
};

QTEST_MAIN(CHistoryPrtListTest)
#include "CHistoryPrtList_test.moc"
