#include "core/config/AppState.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/templates/TemplateFile.h"
#include "core/waybill/PrintStore.h"
#include "support/TempDir.h"
#include "ui/common/Dialogs.h"
#include "ui/data/CReportCtrl.h"
#include "ui/printlist/CPrintList.h"
#include "ui/printlist/CPrintProgress.h"
#include "ui/waybill/CQuorvelView.h"
#include "ui/waybill/MyEdit.h"

#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace zentra;
using namespace zentra::ui;
using Answer = Dialogs::Answer;

namespace {

struct Fixture {
    test::TempDir dir;
    DataFolder folder{dir.path()};
    AppState state;
    ScriptedDialogs dialogs;
    std::unique_ptr<CQuorvelView> canvas;
    QString pdf = QString::fromStdString(dir.file("out.pdf"));
    int printerDialogs = 0;

    Fixture()
    {
        initDataFolder(folder);
        Template t;
        t.imgWidth = "23";
        t.imgHeight = "12.7";
        for (int field : {20, 41, 50, 55}) {
            TemplateItem it;
            it.id = 100 + field;
            it.top = field * 4;
            it.right = 300;
            it.bottom = it.top + 30;
            t.items[static_cast<std::size_t>(field)] = it;
        }
        saveTemplateFile(folder.templateDir() + "sf.ttp", t);
        canvas = std::make_unique<CQuorvelView>(state, folder, dialogs);
        canvas->setPrinterUi({[this](QPrinter &printer, QWidget *) {
                                  ++printerDialogs;
                                  printer.setOutputFormat(QPrinter::PdfFormat);
                                  printer.setOutputFileName(pdf);
                                  return true;
                              },
                              {}});
    }

    std::int64_t add(const std::string &receiver, const std::string &expressNo, const std::string &tmpl = "sf")
    {
        WaybillRow row;
        row.cell(WaybillRow::TemplateName) = tmpl;
        row.cell(WaybillRow::ReceiverName) = receiver;
        row.cell(WaybillRow::ExpressNo) = expressNo;
        row.cell(WaybillRow::ProtectMoney) = "1005";
        DbConnection db;
        db.open(folder.databasePath());
        return insertWaybillRow(db, WaybillTable::PrintList, row);
    }

    QStringList column(const char *table, const char *name)
    {
        DbConnection db;
        db.open(folder.databasePath());
        QStringList out;
        for (const DbRow &r : db.query(std::string("select ") + name + " from " + table + " order by printId"))
            out << QString::fromStdString(r.at(0));
        return out;
    }

    std::unique_ptr<CPrintList> open()
    {
        auto dlg = std::make_unique<CPrintList>(state, folder, dialogs, *canvas);
        dlg->show();
        dlg->activateWindow();
        if (!QTest::qWaitForWindowActive(dlg.get()))
            qWarning("the dialog did not become active");
        return dlg;
    }
};

QStringList gridColumn(const CReportCtrl &grid, int column)
{
    QStringList out;
    for (int r = 0; r < grid.rowCount(); ++r)
        out << grid.cellText(r, column);
    return out;
}

void click(QWidget *w, const char *name)
{
    auto *b = w->findChild<QPushButton *>(QString::fromLatin1(name));
    QVERIFY(b);
    QTest::mouseClick(b, Qt::LeftButton);
}

}

class CPrintListTest : public QObject {
    Q_OBJECT
private slots:
    void listsInTheTablesOrderAndSearches()
    {
        Fixture f;
        f.add("丙", "B2");
        f.add("甲", "A1");
        f.add("乙", "B2");
        auto dlg = f.open();
        CReportCtrl &grid = *dlg->grid();
        QCOMPARE(grid.columnCount(), 48);
        QCOMPARE(grid.columnTitle(17), QStringLiteral("打印号"));
        QCOMPARE(grid.columnTitle(47), QStringLiteral("发件人签名"));
        QCOMPARE(grid.rowHeight(0), 25);
        QCOMPARE(gridColumn(grid, 3), (QStringList{"甲", "丙", "乙"}));

        dlg->findChild<QLineEdit *>("searchEdit")->setText(QStringLiteral("b2"));
        click(dlg.get(), "searchButton");
        QCOMPARE(gridColumn(grid, 3), (QStringList{"丙", "乙"}));

        // The dialog's keys work from the list and from the search box, but
        // in the box Ctrl+A selects its text: typing replaces it.
        grid.setFocus();
        QTest::keyClick(&grid, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(grid.checkedRows().size(), 2);
        auto *search = dlg->findChild<QLineEdit *>("searchEdit");
        search->setFocus();
        QTest::keyClick(search, Qt::Key_W, Qt::ControlModifier);
        QCOMPARE(grid.checkedRows().size(), 0);
        QTest::keyClick(search, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(grid.checkedRows().size(), 0);
        QTest::keyClicks(search, QStringLiteral("a1"));
        QCOMPARE(search->text(), QStringLiteral("a1"));
        QTest::keyClick(search, Qt::Key_Home);
        QTest::keyClick(search, Qt::Key_Delete);
        QCOMPARE(search->text(), QStringLiteral("1"));
    }

    void printingNothingDoesNothing()
    {
        Fixture f;
        auto dlg = f.open();
        click(dlg.get(), "printAllButton");
        QCOMPARE(f.printerDialogs, 0);
        QVERIFY(f.dialogs.asked.empty());

        f.add("甲", "1");
        auto second = f.open();
        click(second.get(), "printTickedButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("请勾选需要的打印项"));
        QCOMPARE(f.printerDialogs, 0);
    }

    void printedTickedRowsMoveAndTheOthersStay()
    {
        Fixture f;
        const auto a = f.add("甲", "1");
        f.add("乙", "2");
        const auto c = f.add("丙", "3");
        f.add("丁", "4", "missing"); // its template is gone: not printed
        auto dlg = f.open();
        CReportCtrl &grid = *dlg->grid();
        grid.setChecked(0, true);
        grid.setChecked(2, true);
        grid.setChecked(3, true);
        click(dlg.get(), "printTickedButton");
        QCOMPARE(f.printerDialogs, 1);
        QCOMPARE(f.state.canvasPrintJob, 2);
        QCOMPARE(f.column("printHistory", "printId"), (QStringList{QString::number(a), QString::number(c)}));
        QCOMPARE(f.column("printList", "rname"), (QStringList{"乙", "丁"}));
        // The grid shows what the table holds; the unprinted row keeps its tick.
        QCOMPARE(gridColumn(grid, 3), (QStringList{"乙", "丁"}));
        QCOMPARE(grid.checkedRows(), (QList<int>{1}));
        QVERIFY(f.dialogs.lastText().contains(QStringLiteral("missing")));
    }

    void aCancelledJobMovesOnlyThePagesPrinted()
    {
        Fixture f;
        f.add("甲", "1");
        f.add("乙", "2");
        f.add("丙", "3");
        auto dlg = f.open();
        QStringList seen;
        connect(dlg->progress(), &CPrintProgress::progressed, this, [&](int painted, int) {
            seen << dlg->progress()->text();
            if (painted == 2)
                dlg->progress()->findChild<QPushButton *>("cancelPrint")->click();
        });
        click(dlg.get(), "printAllButton");
        QCOMPARE(seen, (QStringList{"正在打印 2 / 3", "正在打印 3 / 3"}));
        QCOMPARE(f.column("printHistory", "rname").size(), 2);
        QCOMPARE(f.column("printList", "rname"), (QStringList{"丙"}));
        QCOMPARE(gridColumn(*dlg->grid(), 3), (QStringList{"丙"}));
        QVERIFY(!dlg->progress()->isVisible());

        // The next job starts afresh and prints the rest.
        click(dlg.get(), "printAllButton");
        QCOMPARE(f.column("printList", "rname"), QStringList());
        QCOMPARE(dlg->grid()->rowCount(), 0);
    }

    void deletesAskFirst()
    {
        Fixture f;
        f.add("甲", "1");
        f.add("乙", "2");
        f.add("丙", "3");
        auto dlg = f.open();
        CReportCtrl &grid = *dlg->grid();
        click(dlg.get(), "deleteTickedButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("请勾选需要删除的打印项"));

        grid.setChecked(1, true);
        f.dialogs.answers = {Answer::Cancel};
        click(dlg.get(), "deleteTickedButton");
        QCOMPARE(f.dialogs.asked.back().caption, QStringLiteral("打印列表 - 删除"));
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("您确认删除当前选中的打印项吗？"));
        QCOMPARE(grid.rowCount(), 3);
        click(dlg.get(), "deleteTickedButton");
        QCOMPARE(gridColumn(grid, 3), (QStringList{"甲", "丙"}));
        QCOMPARE(f.column("printList", "rname"), (QStringList{"甲", "丙"}));

        click(dlg.get(), "deleteAllButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("您确认删除所有的打印项吗？"));
        QCOMPARE(grid.rowCount(), 0);
        QCOMPARE(f.column("printList", "rname"), QStringList());
    }

    void anEditedExpressNumberIsStoredAtOnce()
    {
        Fixture f;
        f.add("甲", "old");
        auto dlg = f.open();
        CReportCtrl &grid = *dlg->grid();
        grid.setCurrentIndex(grid.model()->index(0, WaybillRow::ExpressNo));
        QVERIFY(!grid.isCellEditable(0, WaybillRow::OrderNo));
        QVERIFY(grid.editCell(0, WaybillRow::ExpressNo));
        grid.cellEditor()->setText(QStringLiteral("SF'100"));
        grid.endEdit(true);
        QCOMPARE(f.column("printList", "expressNo"), (QStringList{"SF'100"}));

        // In the cell's editor Ctrl+A selects the text, which typing replaces;
        // the row stays unticked.
        QVERIFY(grid.editCell(0, WaybillRow::ExpressNo));
        QLineEdit *editor = grid.cellEditor();
        QTest::keyClick(editor, Qt::Key_End);
        QTest::keyClick(editor, Qt::Key_Backspace);
        QCOMPARE(editor->text(), QStringLiteral("SF'10"));
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, QStringLiteral("YT9"));
        QCOMPARE(editor->text(), QStringLiteral("YT9"));
        QVERIFY(grid.checkedRows().isEmpty());
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(f.column("printList", "expressNo"), (QStringList{"YT9"}));
    }

    void aDoubleClickOpensTheRowOnTheCanvas()
    {
        Fixture f;
        f.add("张三", "E1");
        auto dlg = f.open();
        CReportCtrl &grid = *dlg->grid();
        const QRect cell = grid.visualRect(grid.model()->index(0, 3));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
        QVERIFY(f.canvas->item(20));
        QCOMPARE(f.canvas->item(20)->toPlainText(), QStringLiteral("张三"));
        QCOMPARE(f.canvas->item(41)->toPlainText(), QStringLiteral("E1"));
        QCOMPARE(f.canvas->item(55)->toPlainText(), QStringLiteral("伍")); // 元 of 壹仟零伍元
        QCOMPARE(f.state.currentTemplateName, std::string("sf"));
        QVERIFY(!f.state.waybillModified);
        QVERIFY(dlg->isVisible());
        QCOMPARE(f.column("printList", "rname"), (QStringList{"张三"}));
    }
};

QTEST_MAIN(CPrintListTest)
#include "CPrintList_test.moc"
