#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/templates/FieldCatalogue.h"
#include "core/templates/TemplateFile.h"
#include "core/waybill/PrintStore.h"
#include "core/waybill/WaybillFields.h"
#include "support/PopupMenu.h"
#include "support/RunCli.h"
#include "support/TempDir.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/CPrintTemplate.h"
#include "ui/app/MainCommands.h"
#include "ui/app/ShellServices.h"
#include "ui/common/Dialogs.h"
#include "ui/masterdata/CBookDlg.h"
#include "ui/masterdata/MasterDataCommands.h"
#include "ui/data/CReportCtrl.h"
#include "ui/printlist/WaybillGrid.h"
#include "ui/waybill/CPrintCargo.h"
#include "ui/waybill/CPrintOrderInfo.h"
#include "ui/waybill/CPrintReceiver.h"
#include "ui/waybill/CQuorvelView.h"
#include "ui/waybill/ComposePages.h"
#include "ui/waybill/MyEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPrinter>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace zentra;
using namespace zentra::ui;

namespace {

// A main window with the canvas on template "t" and the four pages, over a
// data folder with two receivers, a sender, a goods and the rates of "t".
struct Fixture {
    test::TempDir dir;
    DataFolder folder{dir.path()};
    AppState state;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    ConfigFile config{folder.configPath()};
    std::unique_ptr<CMainFrame> frame;
    CQuorvelView *view = nullptr;

    Fixture()
    {
        initDataFolder(folder);
        state.allowAll();
        Template t;
        t.imgWidth = "23";
        t.imgHeight = "12.7";
        for (int field : {0, 15, 20, 23, 36, 40, 41, 42, 43, 45, 46, 47, 48, 49, 50, 51, 52, 55, 56, 57, 58, 59}) {
            TemplateItem it;
            it.id = 100 + field;
            it.left = (field % 10) * 60;
            it.top = (field / 10) * 40;
            it.right = it.left + 55;
            it.bottom = it.top + 30;
            it.text = fieldName(field);
            t.items[static_cast<std::size_t>(field)] = it;
        }
        saveTemplateFile(folder.templateDir() + "t.ttp", t);
        config.writeText("Template", "Default", "t.ttp");
        DbConnection db;
        db.open(folder.databasePath());
        for (const char *sql :
             {"insert into receiver(rID, rname, rprovince, rcity, rmobile, raddress) values(1, '张三', '浙江省', "
              "'杭州市', '1', 'a')",
              "insert into receiver(rID, rname, rprovince, rmobile, raddress) values(2, '赵六', '新疆', '2', 'b')",
              "insert into receiver(rID, rname, rprovince, rmobile, raddress) values(3, '钱七', '新疆', '3', 'c')",
              "insert into sender(sID, sname, sself4, smobile, saddress) values(1, '李四', '李签名', '9', 'z')",
              "insert into cargo(cargoID, cname, cshort, cweight, cpriceOut) values(1, '毛巾', 'mj', 1.15, 25)",
              "insert into freight(province, tmpName, afreight, bfreight, moneyFree) values('浙江省', 't', '10', "
              "'6', '100')",
              "insert into freight(province, tmpName, afreight, bfreight, moneyFree) values('新疆', 't', '20', "
              "'15', '1000')"})
            if (db.execute(sql) != 1)
                qFatal("fixture: %s", sql);
    }

    void make()
    {
        frame = std::make_unique<CMainFrame>(state, dialogs, shell, folder);
        view = new CQuorvelView(state, folder, dialogs);
        frame->setCanvas(view);
        frame->hooks().printCanvas = [v = view] { v->printCanvas(); };
        installComposePages(*frame, *view, state, folder, dialogs);
    }

    template <typename T> T *page(int index) { return qobject_cast<T *>(frame->printTemplate()->page(index)); }
    CPrintReceiver *receivers() { return page<CPrintReceiver>(CPrintTemplate::Receiver); }
    CPrintReceiver *senders() { return page<CPrintReceiver>(CPrintTemplate::Sender); }
    CPrintCargo *cargo() { return page<CPrintCargo>(CPrintTemplate::Cargo); }
    CPrintOrderInfo *order() { return page<CPrintOrderInfo>(CPrintTemplate::OrderInfo); }

    QString item(int field) const { return view->item(field) ? view->item(field)->text() : QStringLiteral("<none>"); }

    // The grid row of an entry's counter.
    static int rowOf(CReportCtrl *grid, const QString &id, int idColumn = CPrintReceiver::Id)
    {
        for (int r = 0; r < grid->rowCount(); ++r)
            if (grid->cellText(r, idColumn) == id)
                return r;
        return -1;
    }

    DbRows query(const std::string &sql) const
    {
        DbConnection db;
        db.open(folder.databasePath());
        return db.query(sql);
    }
};

template <typename T> T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QString::fromLatin1(name));
    if (!c)
        qFatal("no child %s", name);
    return c;
}

// Runs `step` once the next modal dialog is up.
void whenModal(std::function<void(QWidget *)> step)
{
    QTimer::singleShot(0, [step = std::move(step)] {
        QWidget *w = QApplication::activeModalWidget();
        if (!w) {
            whenModal(step);
            return;
        }
        step(w);
    });
}

QStringList gridColumn(CReportCtrl *grid, int column)
{
    QStringList out;
    for (int r = 0; r < grid->rowCount(); ++r)
        out << grid->cellText(r, column);
    return out;
}

QStringList comboTexts(QComboBox *combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

}

class ComposePagesTest : public QObject {
    Q_OBJECT
private slots:
    void choosingAReceiverFillsItsFieldsAndLeavesTheStoredDefault()
    {
        Fixture f;
        f.config.writeText("Receiver", "ReceiverLock", "1");
        f.config.writeText("Receiver", "ReceiverID", "1");
        f.config.writeText("Receiver", "ReceiverName", "张三");
        f.make();
        CPrintReceiver *page = f.receivers();
        auto *box = child<QCheckBox>(page, "defaultBox");
        QVERIFY(box->isChecked());
        QCOMPARE(page->highlightedRow(), Fixture::rowOf(page->grid(), "1"));

        const int zhao = Fixture::rowOf(page->grid(), "2");
        page->chooseRow(zhao);
        QCOMPARE(f.item(20), QStringLiteral("赵六"));
        QCOMPARE(f.item(36), QStringLiteral("新疆"));
        QCOMPARE(page->highlightedRow(), zhao);
        QVERIFY(!box->isChecked());
        QVERIFY(f.state.waybillModified);
        QCOMPARE(child<QLineEdit>(page, "currentName")->text(), QStringLiteral("赵六"));
        QCOMPARE(f.config.readText("Receiver", "ReceiverID"), std::string("1"));

        // The next start brings the stored default back.
        f.make();
        QVERIFY(child<QCheckBox>(f.receivers(), "defaultBox")->isChecked());
        QCOMPARE(f.receivers()->currentId(), QStringLiteral("1"));
        f.receivers()->fillDefault();
        QCOMPARE(f.item(20), QStringLiteral("张三"));
        QCOMPARE(f.item(36), QStringLiteral("浙江省杭州市"));
    }

    void defaultNeedsAChosenEntry()
    {
        Fixture f;
        f.make();
        for (CPrintReceiver *page : {f.receivers(), f.senders()}) {
            auto *box = child<QCheckBox>(page, "defaultBox");
            box->click();
            QVERIFY(!box->isChecked());
        }
        QCOMPARE(f.dialogs.asked.size(), std::size_t(2));
        QCOMPARE(f.dialogs.asked[0].text, QStringLiteral("请先选择默认收件人！"));
        QCOMPARE(f.dialogs.asked[1].text, QStringLiteral("请先选择默认发件人！"));

        // The sender's fourth custom text is the signature.
        QCOMPARE(f.senders()->grid()->columnTitle(18), QStringLiteral("发件人签名"));
        QCOMPARE(f.senders()->grid()->cellText(0, 18), QStringLiteral("李签名"));
        f.senders()->chooseRow(0);
        QCOMPARE(f.item(15), QStringLiteral("李签名"));
        child<QCheckBox>(f.senders(), "defaultBox")->click();
        QCOMPARE(f.config.readText("Sender", "SenderLock"), std::string("1"));
        QCOMPARE(f.config.readText("Sender", "SenderName"), std::string("李四"));
    }

    void goodsAreCountedAndPricedForTheChosenReceiver()
    {
        Fixture f;
        f.make();
        CPrintCargo *cargo = f.cargo();
        f.receivers()->chooseRow(Fixture::rowOf(f.receivers()->grid(), "1"));
        cargo->addGoods(0);
        cargo->addGoods(0);
        QCOMPARE(cargo->selected()->rowCount(), 2);
        QCOMPARE(f.item(43), QStringLiteral("毛巾,2;"));
        QCOMPARE(f.item(45), QStringLiteral("2"));
        QCOMPARE(f.item(46), QStringLiteral("2.3"));
        QCOMPARE(f.item(48), QStringLiteral("22.00"));
        QCOMPARE(f.item(49), QStringLiteral("72.00"));

        // Another province reprices; a sender does not.
        f.receivers()->chooseRow(Fixture::rowOf(f.receivers()->grid(), "2"));
        QCOMPARE(f.item(48), QStringLiteral("50.00"));
        f.senders()->chooseRow(0);
        QCOMPARE(f.item(15), QStringLiteral("李签名"));
        QCOMPARE(f.item(48), QStringLiteral("50.00"));

        cargo->removeGoods(0);
        QCOMPARE(f.item(43), QStringLiteral("毛巾,1;"));
        // Without the lock a new waybill takes the goods away.
        cargo->clearGoods();
        QCOMPARE(cargo->selected()->rowCount(), 0);
        QCOMPARE(f.item(48), QStringLiteral("0"));
        QCOMPARE(f.item(43), QString());
    }

    void tickedGoodsGoTogetherAndTheLockKeepsThem()
    {
        Fixture f;
        f.make();
        CPrintCargo *cargo = f.cargo();
        for (int i = 0; i < 3; ++i)
            cargo->addGoods(0);
        cargo->batchDeleteSelectedGoods();
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("请勾选需要删除的宝贝"));
        cargo->selected()->setChecked(0, true);
        cargo->selected()->setChecked(2, true);
        f.dialogs.answers.push_back(Dialogs::Answer::Ok);
        cargo->batchDeleteSelectedGoods();
        QCOMPARE(f.dialogs.asked.back().caption, QStringLiteral("已添加的宝贝 - 删除"));
        QCOMPARE(cargo->selected()->rowCount(), 1);
        QCOMPARE(f.item(43), QStringLiteral("毛巾,1;"));

        // Locked goods survive a new waybill; picking goods unlocks for this run only.
        child<QCheckBox>(cargo, "lockBox")->click();
        QCOMPARE(f.config.readText("Cargo", "CargoLock"), std::string("1"));
        cargo->clearGoods();
        QCOMPARE(cargo->selected()->rowCount(), 1);
        cargo->addGoods(0);
        QVERIFY(!child<QCheckBox>(cargo, "lockBox")->isChecked());
        QCOMPARE(f.config.readText("Cargo", "CargoLock"), std::string("1"));
    }

    void aNewWaybillPricesTheGoodsForTheDefaultReceiver()
    {
        Fixture f;
        f.config.writeText("Receiver", "ReceiverLock", "1");
        f.config.writeText("Receiver", "ReceiverID", "2");
        f.config.writeText("Receiver", "ReceiverName", "赵六");
        f.config.writeText("Cargo", "CargoLock", "1");
        {
            DbConnection db;
            db.open(f.folder.databasePath());
            db.execute("insert into cargoSel(cname, cshort, cweight, cpriceOut) values('毛巾', 'mj', 2.3, 50)");
        }
        f.make();
        QVERIFY(f.frame->runCommand(cmd::NewWaybill));
        QCOMPARE(f.item(20), QStringLiteral("赵六"));
        QCOMPARE(f.item(43), QStringLiteral("毛巾,1;"));
        QCOMPARE(f.item(48), QStringLiteral("50.00")); // 新疆, not the first rate row
    }

    void typedNumbersStopCountingAndCountUpsKeepIt()
    {
        Fixture f;
        f.make();
        CPrintOrderInfo *order = f.order();
        auto *edit = child<QLineEdit>(order, "orderEdit");
        auto *autoBox = child<QCheckBox>(order, "autoOrderBox");
        QTest::keyClicks(edit, "0099x");
        QCOMPARE(edit->text(), QStringLiteral("0099")); // digits only
        QCOMPARE(f.item(40), QStringLiteral("0099"));
        // A typed number is kept, but not counted on.
        QCOMPARE(f.config.readText("Order", "AutoOrderNum"), std::string("0"));
        QCOMPARE(f.config.readText("Order", "OrderNum"), std::string("0099"));
        autoBox->click();
        QVERIFY(autoBox->isChecked());
        QCOMPARE(f.config.readText("Order", "OrderNum"), std::string("0099"));

        // An unchanged waybill is stored but counts nothing.
        f.state.waybillModified = false;
        order->addToPrintList();
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("添加成功！"));
        QCOMPARE(edit->text(), QStringLiteral("0099"));

        f.receivers()->chooseRow(0);
        order->addToPrintList();
        QCOMPARE(edit->text(), QStringLiteral("100"));
        QVERIFY(autoBox->isChecked());
        QCOMPARE(f.config.readText("Order", "OrderNum"), std::string("100"));
        QCOMPARE(f.item(40), QStringLiteral("100"));
        QVERIFY(!f.state.waybillModified);
        const DbRows rows = f.query("select * from printList order by printId");
        QCOMPARE(rows.size(), std::size_t(2));
        QCOMPARE(rows[1].text("orderNo"), std::string("0099"));
        QCOMPARE(rows[1].text("templateName"), std::string("t"));
        QVERIFY(!rows[1].text("rname").empty());
    }

    // The command line takes numbers while the window shows the next one:
    // the waybill the window adds gets a number nobody has, not the one
    // shown.
    void theWindowTakesItsNumberFromTheCounterNotFromThePage()
    {
        Fixture f;
        f.config.writeText("Order", "AutoOrderNum", "1");
        f.config.writeText("Order", "OrderNum", "100");
        f.config.writeText("Order", "AutoExpressNum", "1");
        f.config.writeText("Order", "ExpressNum", "500");
        f.make();
        auto *edit = child<QLineEdit>(f.order(), "orderEdit");
        QCOMPARE(edit->text(), QStringLiteral("100"));
        const test::CliResult cli =
            test::runProgram(ZENTRA_CLI, {"--home", f.folder.root(), "compose", "--receiver", "2", "--add"},
                             {"QT_QPA_PLATFORM=offscreen"});
        QCOMPARE(cli.exitCode, 0);
        QCOMPARE(f.config.readText("Order", "OrderNum"), std::string("101"));

        f.receivers()->chooseRow(0);
        f.order()->addToPrintList();
        const DbRows rows = f.query("select orderNo, expressNo from printList order by printId");
        QCOMPARE(rows.size(), std::size_t(2));
        QCOMPARE(rows[0].text("orderNo"), std::string("100"));
        QCOMPARE(rows[1].text("orderNo"), std::string("101"));
        QCOMPARE(rows[1].text("expressNo"), std::string("501"));
        QCOMPARE(edit->text(), QStringLiteral("102"));
        QCOMPARE(child<QLineEdit>(f.order(), "expressEdit")->text(), QStringLiteral("502"));
        QCOMPARE(f.config.readText("Order", "OrderNum"), std::string("102"));
        QCOMPARE(f.config.readText("Order", "ExpressNum"), std::string("502"));
    }

    void batchAddGivesEachReceiverItsNumber()
    {
        Fixture f;
        f.config.writeText("Order", "AutoOrderNum", "1");
        f.config.writeText("Order", "OrderNum", "100");
        f.make();
        CPrintReceiver *page = f.receivers();
        page->batchAdd();
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("请勾选需要添加的收件人"));
        page->grid()->setAllChecked(true);
        page->batchAdd();
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("添加成功！"));
        const DbRows rows = f.query("select * from printList order by printId");
        QCOMPARE(rows.size(), std::size_t(3));
        QCOMPARE(rows[0].text("orderNo"), std::string("100"));
        QCOMPARE(rows[2].text("orderNo"), std::string("102"));
        QCOMPARE(child<QLineEdit>(f.order(), "orderEdit")->text(), QStringLiteral("103"));
        QVERIFY(child<QCheckBox>(f.order(), "autoOrderBox")->isChecked());
        QCOMPARE(f.item(40), QStringLiteral("103"));
        QCOMPARE(f.config.readText("Order", "OrderNum"), std::string("103"));
    }

    void insuredAmountAndTheWindowsCommands()
    {
        Fixture f;
        f.make();
        CPrintOrderInfo *order = f.order();
        auto *insured = child<QLineEdit>(order, "insuredEdit");
        QTest::keyClicks(insured, "1005");
        QCOMPARE(f.item(50), QStringLiteral("壹仟零伍元"));
        QCOMPARE(f.item(52), QStringLiteral("壹"));
        QCOMPARE(f.item(55), QStringLiteral("伍"));
        QCOMPARE(f.item(51), QStringLiteral("╳"));
        child<QCheckBox>(order, "insuredLockBox")->click();
        QCOMPARE(f.config.readText("Order", "ProtectMoneyLock"), std::string("1"));

        // Ctrl+D: field names, but the fixed amount keeps its values.
        f.receivers()->chooseRow(0);
        QVERIFY(f.frame->runCommand(cmd::TemplateDefaultText));
        QCOMPARE(f.item(20), QStringLiteral("收件人姓名"));
        QCOMPARE(f.item(52), QStringLiteral("壹"));
        QCOMPARE(f.item(56), QStringLiteral("年"));

        // Ctrl+N with nothing changed asks nothing and empties the items.
        f.state.waybillModified = false;
        const std::size_t asked = f.dialogs.asked.size();
        QVERIFY(f.frame->runCommand(cmd::NewWaybill));
        QCOMPARE(f.dialogs.asked.size(), asked);
        QCOMPARE(f.item(20), QString());
        QCOMPARE(f.item(50), QStringLiteral("壹仟零伍元"));
    }

    void aSinglePrintIsStoredWithTheTimeOfTheDateItems()
    {
        Fixture f;
        f.state.permissions[5] = 0;
        f.make();
        auto *print = child<QPushButton>(f.order(), "printButton");
        print->click();
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("您没有权限使用该功能，请与管理员联系！"));
        QVERIFY(f.query("select * from printHistory").empty());

        f.state.permissions[5] = 1;
        const std::string pdf = f.dir.file("one.pdf");
        f.view->setPrinterUi({[&pdf](QPrinter &printer, QWidget *) {
                                  printer.setOutputFormat(QPrinter::PdfFormat);
                                  printer.setOutputFileName(QString::fromStdString(pdf));
                                  return true;
                              },
                              {}});
        f.receivers()->chooseRow(0);
        f.view->setItemText(56, QStringLiteral("2024"));
        f.view->setItemText(57, QStringLiteral("05"));
        f.view->setItemText(58, QStringLiteral("06"));
        f.view->setItemText(59, QStringLiteral("07"));
        print->click();
        QCOMPARE(f.state.canvasPrintJob, 1);
        const DbRows rows = f.query("select * from printHistory");
        QCOMPARE(rows.size(), std::size_t(1));
        QCOMPARE(rows[0].text("printTime"), std::string("2024-05-06 07:00:00"));
        QVERIFY(!rows[0].text("rname").empty());
        QVERIFY(f.query("select * from printList").empty());
    }

    void aListedWaybillOpenedAndPrintedIsANewHistoryRowAndStaysListed()
    {
        Fixture f;
        f.make();
        WaybillRow listed;
        listed.cell(WaybillRow::TemplateName) = "t";
        listed.cell(WaybillRow::ReceiverName) = "王五";
        listed.cell(WaybillRow::ExpressNo) = "880001";
        listed.cell(WaybillRow::PrintTime) = "2024-05-06 07:00:00";
        {
            DbConnection db;
            db.open(f.folder.databasePath());
            QVERIFY(insertWaybillRow(db, WaybillTable::PrintList, listed) > 0);
            bool ok = false;
            const std::vector<WaybillRow> rows = readPrintList(db, &ok);
            QVERIFY(ok && rows.size() == 1);
            listed = rows.front();
        }
        waybillgrid::openOnCanvas(listed, *f.view, f.state, f.folder, f.dialogs, nullptr);
        QCOMPARE(f.item(20), QStringLiteral("王五"));
        QVERIFY(!f.state.waybillModified);

        const std::string pdf = f.dir.file("again.pdf");
        f.view->setPrinterUi({[&pdf](QPrinter &printer, QWidget *) {
                                  printer.setOutputFormat(QPrinter::PdfFormat);
                                  printer.setOutputFileName(QString::fromStdString(pdf));
                                  return true;
                              },
                              {}});
        child<QPushButton>(f.order(), "printButton")->click();
        const DbRows history = f.query("select * from printHistory");
        QCOMPARE(history.size(), std::size_t(1));
        QCOMPARE(history[0].text("rname"), std::string("王五"));
        QCOMPARE(history[0].text("expressNo"), std::string("880001"));
        QCOMPARE(history[0].text("printTime"), std::string("2024-05-06 07:00:00"));
        QVERIFY(history[0].integer("printId") != listed.printId());
        // The listed row stays to be printed with its batch.
        QCOMPARE(f.query("select * from printList").size(), std::size_t(1));
    }

    void aRowStoredFromTheCanvasCarriesThePartiesTheTemplateDoesNotShow()
    {
        // The destination item, but no province and city items.
        Fixture f;
        Template d;
        d.imgWidth = "23";
        d.imgHeight = "12.7";
        for (int field : {0, 20, 36, 41}) {
            TemplateItem it;
            it.id = 100 + field;
            it.left = 10;
            it.top = field * 5;
            it.right = 300;
            it.bottom = it.top + 30;
            d.items[static_cast<std::size_t>(field)] = it;
        }
        saveTemplateFile(f.folder.templateDir() + "d.ttp", d);
        f.config.writeText("Template", "Default", "d.ttp");
        f.make();
        f.receivers()->chooseRow(Fixture::rowOf(f.receivers()->grid(), "1"));
        f.senders()->chooseRow(0);
        const QString destination = f.item(36);
        QCOMPARE(destination, QStringLiteral("浙江省杭州市"));
        QTest::mouseClick(child<QPushButton>(f.order(), "addButton"), Qt::LeftButton);
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("添加成功！"));

        std::vector<WaybillRow> listed;
        {
            DbConnection db;
            db.open(f.folder.databasePath());
            bool ok = false;
            listed = readPrintList(db, &ok);
            QVERIFY(ok);
        }
        QCOMPARE(listed.size(), std::size_t(1));
        const WaybillRow &row = listed.front();
        QCOMPARE(row.cell(WaybillRow::TemplateName), std::string("d"));
        QCOMPARE(row.cell(20), std::string("浙江省")); // rprovince
        QCOMPARE(row.cell(21), std::string("杭州市")); // rcity
        QCOMPARE(row.cell(WaybillRow::ReceiverMobile), std::string("1"));
        QCOMPARE(row.cell(WaybillRow::SenderMobile), std::string("9"));
        QCOMPARE(row.cell(WaybillRow::SenderSignature), std::string("李签名"));
        // The batch page fills the destination from the row as the canvas did.
        QCOMPARE(QString::fromStdString(fieldTextsForRow(row)[36]), destination);

        // Opened again and printed singly, the history row keeps them too.
        waybillgrid::openOnCanvas(row, *f.view, f.state, f.folder, f.dialogs, nullptr);
        QCOMPARE(f.item(36), destination);
        const std::string pdf = f.dir.file("again.pdf");
        f.view->setPrinterUi({[&pdf](QPrinter &printer, QWidget *) {
                                  printer.setOutputFormat(QPrinter::PdfFormat);
                                  printer.setOutputFileName(QString::fromStdString(pdf));
                                  return true;
                              },
                              {}});
        QTest::mouseClick(child<QPushButton>(f.order(), "printButton"), Qt::LeftButton);
        const DbRows history = f.query("select * from printHistory");
        QCOMPARE(history.size(), std::size_t(1));
        QCOMPARE(history[0].text("rprovince"), std::string("浙江省"));
        QCOMPARE(history[0].text("rcity"), std::string("杭州市"));
        QCOMPARE(history[0].text("smobile"), std::string("9"));

        // Another template loaded afresh shows, and stores, no old receiver.
        f.view->destroyAllItems();
        QVERIFY(f.view->loadTemplate("t.ttp"));
        f.state.currentTemplateName = "t";
        QTest::mouseClick(child<QPushButton>(f.order(), "addButton"), Qt::LeftButton);
        const DbRows rows = f.query("select * from printList order by printId");
        QCOMPARE(rows.size(), std::size_t(2));
        QCOMPARE(rows[1].text("rcity"), std::string());
        QCOMPARE(rows[1].text("smobile"), std::string());
    }

    void theClockMarksNoWaybillAsChanged()
    {
        Fixture f;
        f.make();
        CPrintOrderInfo *order = f.order();
        f.state.waybillModified = false;
        QSignalSpy ticks(order->clock(), &QTimer::timeout);
        order->clock()->setInterval(5);
        QTRY_VERIFY(ticks.size() >= 2);
        QCOMPARE(f.item(56), QString::number(QDate::currentDate().year()));
        QVERIFY(!f.state.waybillModified);
        // So "新快递单" asks nothing.
        QVERIFY(f.frame->runCommand(cmd::NewWaybill));
        QVERIFY(f.dialogs.asked.empty());

        // A time the user picks is a change.
        order->clock()->stop();
        child<QDateTimeEdit>(order, "printPicker")->setDateTime(QDateTime(QDate(2025, 3, 4), QTime(5, 6, 7)));
        QVERIFY(f.state.waybillModified);
    }

    void aBookClosedAfterAChangeShowsInItsPage()
    {
        Fixture f;
        f.make();
        installMasterDataCommands(*f.frame, f.folder, f.dialogs);
        auto addEntry = [](const std::vector<std::pair<const char *, QString>> &fields) {
            return [fields](QWidget *w) {
                auto *dlg = qobject_cast<CBookDlg *>(w);
                QVERIFY(dlg);
                QTest::mouseClick(child<QPushButton>(dlg, "newButton"), Qt::LeftButton);
                for (const auto &[name, text] : fields)
                    child<QLineEdit>(dlg, name)->insert(text);
                QTest::mouseClick(child<QPushButton>(dlg, "saveButton"), Qt::LeftButton);
                dlg->reject();
            };
        };

        whenModal(addEntry({{"rname", QStringLiteral("孙八")}, {"rmobile", "13912345678"}, {"raddress", "x"}}));
        QVERIFY(f.frame->runCommand(cmd::NewReceiver));
        QVERIFY(gridColumn(f.receivers()->grid(), CPrintReceiver::Name).contains(QStringLiteral("孙八")));

        whenModal(addEntry({{"sname", QStringLiteral("周九")}, {"smobile", "13800000009"}, {"saddress", "y"}}));
        QVERIFY(f.frame->runCommand(cmd::NewSender));
        QVERIFY(gridColumn(f.senders()->grid(), CPrintReceiver::Name).contains(QStringLiteral("周九")));

        whenModal(addEntry({{"cname", QStringLiteral("龙井")}, {"cshort", QStringLiteral("茶")}}));
        QVERIFY(f.frame->runCommand(cmd::AddGoods));
        QVERIFY(gridColumn(f.cargo()->catalogue(), CPrintCargo::Name).contains(QStringLiteral("龙井")));

        // A class added in the book is offered by the page, which keeps the
        // class it shows.
        auto *classes = child<QComboBox>(f.receivers(), "classCombo");
        classes->setCurrentIndex(0);
        const QString shown = classes->currentText();
        whenModal([](QWidget *w) {
            auto *dlg = qobject_cast<CBookDlg *>(w);
            QVERIFY(dlg);
            dlg->askClassName = [](const QString &, const QString &) { return std::optional<QString>("批发"); };
            QTest::mouseClick(child<QPushButton>(dlg, "classAdd"), Qt::LeftButton);
            dlg->reject();
        });
        QVERIFY(f.frame->runCommand(cmd::NewReceiver));
        QVERIFY(comboTexts(classes).contains(QStringLiteral("批发")));
        QCOMPARE(classes->currentText(), shown);
    }

    void unfixedTimesFollowTheClockAndFixedOnesStay()
    {
        Fixture f;
        f.config.writeText("Order", "TradeTimeLock", "1");
        f.config.writeText("Order", "TradeTime", "2024-01-02 03:04:05");
        f.make();
        CPrintOrderInfo *order = f.order();
        QVERIFY(child<QCheckBox>(order, "tradeLockBox")->isChecked());
        order->resetItems();
        QCOMPARE(f.item(42), QStringLiteral("2024-01-02 03:04:05"));

        order->clockTick();
        const QString year = QString::number(QDate::currentDate().year());
        QCOMPARE(f.item(56), year);
        QCOMPARE(f.item(42), QStringLiteral("2024-01-02 03:04:05"));
        QCOMPARE(f.config.readText("Order", "PrintTimeLock"), std::string("0"));

        child<QCheckBox>(order, "printLockBox")->click();
        QCOMPARE(f.config.readText("Order", "PrintTimeLock"), std::string("1"));
        const QString picked = child<QDateTimeEdit>(order, "printPicker")->dateTime().toString("yyyy-MM-dd HH:mm:ss");
        QCOMPARE(QString::fromStdString(f.config.readText("Order", "PrintTime")), picked);
        f.view->setItemText(56, QStringLiteral("1999"));
        order->clockTick();
        QCOMPARE(f.item(56), QStringLiteral("1999"));

        // Choosing a new trade time unfixes it.
        child<QDateTimeEdit>(order, "tradePicker")->setDateTime(QDateTime(QDate(2025, 3, 4), QTime(5, 6, 7)));
        QCOMPARE(f.item(42), QStringLiteral("2025-03-04 05:06:07"));
        QVERIFY(!child<QCheckBox>(order, "tradeLockBox")->isChecked());
        QCOMPARE(f.config.readText("Order", "TradeTimeLock"), std::string("0"));
    }

    void thePagesClassListsOpenOnAllClasses()
    {
        Fixture f;
        // By their bytes these sort before "_全部类别_".
        for (const char *table : {"receiverClass", "senderClass", "cargoClass"})
            for (const char *name : {"A类", "1组"}) {
                DbConnection db;
                db.open(f.folder.databasePath());
                db.execute(std::string("insert into ") + table + "(className) values(?)", {name});
            }
        f.make();
        for (QWidget *page : {static_cast<QWidget *>(f.receivers()), static_cast<QWidget *>(f.senders()),
                              static_cast<QWidget *>(f.cargo())}) {
            auto *combo = child<QComboBox>(page, "classCombo");
            QCOMPARE(combo->count(), 3);
            QCOMPARE(combo->currentText(), QStringLiteral("_全部类别_"));
            QCOMPARE(combo->itemText(1), QStringLiteral("1组"));
            QCOMPARE(combo->itemText(2), QStringLiteral("A类"));
        }
        // Every receiver is listed, not just those of the first class.
        QCOMPARE(f.receivers()->grid()->rowCount(), 3);
    }

    void theGridMenuChangesTheClassOfTheTickedReceivers()
    {
        Fixture f;
        f.make();
        CPrintReceiver *page = f.receivers();
        QStringList offered;
        page->chooseClass = [&offered](const QStringList &classes) -> std::optional<QString> {
            offered = classes;
            return QStringLiteral("批发");
        };
        page->grid()->setChecked(Fixture::rowOf(page->grid(), "2"), true);
        page->grid()->setChecked(Fixture::rowOf(page->grid(), "3"), true);
        page->grid()->selectRow(0);
        page->show();
        const QPoint pos = page->grid()->visualRect(page->grid()->model()->index(0, 2)).center();
        QStringList entries;
        test::pickPopupEntry(5, entries); // "批量改类别"
        QContextMenuEvent menu(QContextMenuEvent::Mouse, pos, page->grid()->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(page->grid()->viewport(), &menu);
        QCOMPARE(entries, (QStringList{QStringLiteral("删除"), QString(), QStringLiteral("全选"),
                                       QStringLiteral("全不选"), QStringLiteral("批量删除"),
                                       QStringLiteral("批量改类别"), QString(), QStringLiteral("添加到打印列表")}));
        QVERIFY(offered.contains(QStringLiteral("_全部类别_")));
        const DbRows rows = f.query("select rID, rclass from receiver order by rID");
        QCOMPARE(rows[0].text("rclass"), std::string());
        QCOMPARE(rows[1].text("rclass"), std::string("批发"));
        QCOMPARE(rows[2].text("rclass"), std::string("批发"));
    }
};

QTEST_MAIN(ComposePagesTest)
#include "ComposePages_test.moc"
