#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/masterdata/BookCsv.h"
#include "core/masterdata/MasterBook.h"
#include "core/text/Gbk.h"
#include "support/PopupMenu.h"
#include "support/TempDir.h"
#include "ui/common/CDEdit.h"
#include "ui/common/Dialogs.h"
#include "ui/common/QtText.h"
#include "ui/data/CReportCtrl.h"
#include "ui/masterdata/BookCsvTransfer.h"
#include "ui/masterdata/BookRowSource.h"
#include "ui/masterdata/CReceiver.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QtTest>

#include <algorithm>
#include <memory>

using namespace zentra;
using namespace zentra::ui;
using Answer = Dialogs::Answer;

namespace {

struct Fixture {
    test::TempDir dir;
    DataFolder folder{dir.path()};
    ScriptedDialogs dialogs;
    Fixture() { initDataFolder(folder); }
    std::string db() const { return folder.databasePath(); }
    void add(const BookKind &kind, BookEntry e) { MasterBook(db(), kind).save(e, MasterBook::Mode::Add); }
};

template <typename T> T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QString::fromLatin1(name));
    if (!c)
        qFatal("no child %s", name);
    return c;
}

void click(QWidget *w, const char *name)
{
    QTest::mouseClick(child<QPushButton>(w, name), Qt::LeftButton);
}

void type(QWidget *w, const char *name, const QString &text)
{
    auto *e = child<QLineEdit>(w, name);
    e->clear();
    // Chinese text arrives from the input method in one piece.
    bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii)
        QTest::keyClicks(e, text);
    else
        e->insert(text);
}

void showActive(QWidget *w)
{
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

void selectRow(CReportCtrl *grid, int row)
{
    grid->selectRow(row);
}

}

class CReceiverTest : public QObject {
    Q_OBJECT
private slots:
    void theServersLowerCaseColumnNamesFillTheGrid()
    {
        // A server gives unquoted column names in lower case ("rid" for rID):
        // the grid still finds its columns and the entries' counters.
        auto names =
            std::make_shared<const std::vector<std::string>>(std::vector<std::string>{"rid", "rname", "rmobile"});
        zentra::DbRows rows;
        rows.columns = *names;
        rows.rows.emplace_back(names, std::vector<std::string>{"7", "张三", "13800000000"});
        const BookResultRows grid(rows, {"rname", "rmobile"}, "rID");
        std::vector<QString> texts(4);
        grid.fill(0, texts);
        QCOMPARE(texts[2], QStringLiteral("张三"));
        QCOMPARE(texts[3], QStringLiteral("13800000000"));
        QCOMPARE(grid.rowOfId(7), 0);
    }

    void aBookHeldByAnotherProgramSaysSoInsteadOfShowingNoEntries()
    {
        Fixture f;
        f.add(receiverBook(), {{"rname", "张三"}, {"rmobile", "1"}, {"raddress", "a"}});
        CReceiver dlg(f.db(), f.dialogs);
        QCOMPARE(dlg.grid()->rowCount(), 1);
        QVERIFY(f.dialogs.asked.empty());
        ::setenv("ZENTRA_BUSY_TIMEOUT_MS", "100", 1);
        zentra::DbConnection holder;
        QVERIFY(holder.open(f.db()));
        QVERIFY(holder.executeScript("BEGIN EXCLUSIVE"));
        dlg.fillGrid();
        dlg.fillGrid(MasterBook(f.db(), receiverBook()).search("张"));
        ::unsetenv("ZENTRA_BUSY_TIMEOUT_MS");
        QCOMPARE(f.dialogs.asked.size(), std::size_t(2));
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("数据库正忙，请稍后再试"));
        QVERIFY(holder.executeScript("COMMIT"));
        dlg.fillGrid();
        QCOMPARE(dlg.grid()->rowCount(), 1);
        QCOMPARE(f.dialogs.asked.size(), std::size_t(2));
    }

    void opensWithTheBookByNameAndThePanelCollapsed()
    {
        Fixture f;
        f.add(receiverBook(), {{"rname", "张三"}, {"rmobile", "1"}, {"raddress", "a"}});
        f.add(receiverBook(), {{"rname", "李四"}, {"rmobile", "2"}, {"raddress", "b"}});
        CReceiver dlg(f.db(), f.dialogs);
        showActive(&dlg);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("新收件人"));
        QCOMPARE(child<QGroupBox>(&dlg, "entryGroup")->title(), QStringLiteral("收件人"));
        QVERIFY(!dlg.isPanelShown());
        CReportCtrl *grid = dlg.grid();
        QCOMPARE(grid->columnCount(), 21);
        QCOMPARE(grid->rowCount(), 2);
        QCOMPARE(grid->cellText(0, 1), QStringLiteral("1"));
        QCOMPARE(grid->cellText(0, 2), QStringLiteral("李四"));
        QCOMPARE(grid->cellText(1, 6), QStringLiteral("1"));
        QCOMPARE(grid->cellText(1, 13), QStringLiteral("a"));
        auto *classes = child<QListWidget>(&dlg, "classList");
        QCOMPARE(classes->count(), 1);
        QCOMPARE(classes->currentItem()->text(), QStringLiteral("_全部类别_"));
    }

    void aLargeBookShowsEveryPageAndItsClasses()
    {
        // More entries than one page of the grid's reading, added out of order.
        Fixture f;
        {
            MasterBook book(f.db(), receiverBook());
            std::vector<BookEntry> entries;
            for (int i = 600; i >= 1; --i) {
                const std::string n = QStringLiteral("客户%1").arg(i, 4, 10, QLatin1Char('0')).toStdString();
                book.save({{"rname", n},
                           {"rmobile", std::to_string(i)},
                           {"raddress", "址" + std::to_string(i)},
                           {"rclass", i % 2 ? "单" : "双"}},
                          MasterBook::Mode::Add);
            }
        }
        CReceiver dlg(f.db(), f.dialogs);
        showActive(&dlg);
        CReportCtrl *grid = dlg.grid();
        QCOMPARE(grid->rowCount(), 600);
        for (int row : {0, 255, 256, 511, 599}) {
            QCOMPARE(grid->cellText(row, 1), QString::number(row + 1));
            QCOMPARE(grid->cellText(row, 2), QStringLiteral("客户%1").arg(row + 1, 4, 10, QLatin1Char('0')));
            QCOMPARE(grid->cellText(row, 13), QStringLiteral("址%1").arg(row + 1));
        }
        // Sorting reads every page.
        grid->sortRows(2, false);
        QCOMPARE(grid->cellText(0, 2), QStringLiteral("客户0600"));
        QCOMPARE(grid->cellText(599, 2), QStringLiteral("客户0001"));

        dlg.fillGridByClass("双");
        QCOMPARE(grid->rowCount(), 300);
        QCOMPARE(grid->cellText(299, 2), QStringLiteral("客户0600"));
        QCOMPARE(grid->cellText(299, 1), QStringLiteral("300"));
    }

    void addEditAndRefuseADuplicateThroughThePanel()
    {
        Fixture f;
        CReceiver dlg(f.db(), f.dialogs);
        showActive(&dlg);
        QTest::keyClick(&dlg, Qt::Key_N, Qt::ControlModifier);
        QVERIFY(dlg.isPanelShown());
        QVERIFY(!child<QComboBox>(&dlg, "rprovince")->currentText().isEmpty());
        QCOMPARE(child<QComboBox>(&dlg, "rprovince")->currentText(), QStringLiteral("北京市"));
        click(&dlg, "saveButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("请输入收件人姓名!"));
        type(&dlg, "rname", QStringLiteral("张三"));
        type(&dlg, "rmobile", QStringLiteral("138"));
        type(&dlg, "raddress", QStringLiteral("北京路1号"));
        click(&dlg, "saveButton");
        QCOMPARE(dlg.grid()->rowCount(), 1);
        QVERIFY(dlg.isPanelShown()); // a save keeps the panel open
        QCOMPARE(dlg.grid()->cellText(0, 8), QStringLiteral("北京市"));
        click(&dlg, "saveButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("收件人手机号码和地址重复!"));
        QCOMPARE(dlg.grid()->rowCount(), 1);

        click(&dlg, "cancelButton");
        QVERIFY(!dlg.isPanelShown());
        click(&dlg, "editButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("没有选择收件人"));
        selectRow(dlg.grid(), 0);
        QTest::keyClick(&dlg, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(dlg.mode(), MasterBook::Mode::Edit);
        QVERIFY(child<QLineEdit>(&dlg, "rmobile")->isReadOnly());
        QVERIFY(child<QLineEdit>(&dlg, "raddress")->isReadOnly());
        QVERIFY(!child<QLineEdit>(&dlg, "rnote")->isReadOnly());
        type(&dlg, "rnote", QStringLiteral("新备注"));
        QTest::keyClick(child<QLineEdit>(&dlg, "rnote"), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(dlg.grid()->rowCount(), 1);
        QCOMPARE(dlg.grid()->cellText(0, 14), QStringLiteral("新备注"));

        // The dialog's keys work from a text box too, but for the box's own
        // editing keys: there Ctrl+A selects the text, which typing replaces.
        dlg.grid()->setFocus();
        QTest::keyClick(dlg.grid(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(dlg.grid()->checkedRows(), QList<int>{0});
        auto *search = child<QLineEdit>(&dlg, "searchEdit");
        search->setFocus();
        QTest::keyClick(search, Qt::Key_W, Qt::ControlModifier);
        QVERIFY(dlg.grid()->checkedRows().isEmpty());
        // A read-only box (the mobile while editing) keeps Ctrl+A too.
        auto *mobile = child<QLineEdit>(&dlg, "rmobile");
        mobile->setFocus();
        QTest::keyClick(mobile, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(mobile->selectedText(), QStringLiteral("138"));
        QVERIFY(dlg.grid()->checkedRows().isEmpty());
        // A new receiver's name: Ctrl+A selects, typing replaces, Ctrl+Z and
        // Ctrl+Y undo and redo.
        dlg.grid()->setFocus();
        QTest::keyClick(dlg.grid(), Qt::Key_N, Qt::ControlModifier);
        auto *name = child<QLineEdit>(&dlg, "rname");
        QVERIFY(!name->isReadOnly());
        name->setFocus();
        QTest::keyClicks(name, QStringLiteral("Zh"));
        QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(name, QStringLiteral("Li"));
        QCOMPARE(name->text(), QStringLiteral("Li"));
        QVERIFY(dlg.grid()->checkedRows().isEmpty());
        QTest::keyClick(name, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(name->text() != QStringLiteral("Li"));
        QTest::keyClick(name, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(name->text(), QStringLiteral("Li"));
    }

    void editingKeepsAClassAndRegionTheListsLack()
    {
        Fixture f;
        f.add(receiverBook(), {{"rname", "甲"},
                               {"rmobile", "1"},
                               {"raddress", "a"},
                               {"rclass", "已删的类"},
                               {"rprovince", "浙江"},
                               {"rcity", "杭州"}});
        f.add(receiverBook(), {{"rname", "乙"}, {"rmobile", "2"}, {"raddress", "b"}});
        MasterBook(f.db(), receiverBook()).deleteClass("已删的类");
        CReceiver dlg(f.db(), f.dialogs);
        showActive(&dlg);
        QCOMPARE(child<QListWidget>(&dlg, "classList")->count(), 1);
        for (int row : {0, 1}) {
            dlg.grid()->clearSelection();
            selectRow(dlg.grid(), row);
            click(&dlg, "editButton");
            type(&dlg, "rnote", QStringLiteral("改过"));
            click(&dlg, "saveButton");
        }
        MasterBook book(f.db(), receiverBook());
        auto a = book.find({{"rmobile", "1"}, {"raddress", "a"}});
        QCOMPARE(a->text("rnote"), std::string("改过"));
        QCOMPARE(a->text("rclass"), std::string("已删的类"));
        // Saved again, its class is one of the book's classes again.
        QVERIFY(
            !child<QListWidget>(&dlg, "classList")->findItems(QStringLiteral("已删的类"), Qt::MatchExactly).isEmpty());
        QCOMPARE(a->text("rprovince"), std::string("浙江"));
        QCOMPARE(a->text("rcity"), std::string("杭州"));
        auto b = book.find({{"rmobile", "2"}, {"raddress", "b"}});
        QCOMPARE(b->text("rnote"), std::string("改过"));
        QCOMPARE(b->text("rprovince"), std::string());
        QCOMPARE(b->text("rdistrict"), std::string());
    }

    void aProvinceWithoutCitiesEmptiesTheLowerLists()
    {
        Fixture f;
        {
            DbConnection db;
            db.open(f.db());
            db.execute("insert into province(provinceID, province) values(990000, '空省')");
        }
        CReceiver dlg(f.db(), f.dialogs);
        showActive(&dlg);
        click(&dlg, "newButton");
        auto *province = child<QComboBox>(&dlg, "rprovince");
        auto *city = child<QComboBox>(&dlg, "rcity");
        auto *district = child<QComboBox>(&dlg, "rdistrict");
        QVERIFY(city->count() > 0);
        QVERIFY(district->count() > 0);
        province->setCurrentIndex(province->findText(QStringLiteral("空省")));
        emit province->activated(province->currentIndex());
        QCOMPARE(city->count(), 0);
        QCOMPARE(district->count(), 0);
        province->setCurrentIndex(province->findText(QStringLiteral("浙江省")));
        emit province->activated(province->currentIndex());
        QCOMPARE(city->currentText(), QStringLiteral("杭州市"));
        QVERIFY(district->count() > 0);
    }

    void batchDeleteRemovesExactlyTheDeletedRows()
    {
        Fixture f;
        for (const char *m : {"1", "2", "3"})
            f.add(receiverBook(), {{"rname", m}, {"rmobile", m}, {"raddress", "a"}});
        CReceiver dlg(f.db(), f.dialogs);
        showActive(&dlg);
        // Entry 2 goes behind the dialog's back: its grid row must still go
        // (nothing to delete), and the others exactly as deleted.
        MasterBook(f.db(), receiverBook()).remove({{"rmobile", "2"}, {"raddress", "a"}});
        {
            DbConnection db;
            db.open(f.db());
            db.executeScript("create trigger keep before delete on receiver when old.rmobile='3' "
                             "begin select raise(abort, 'kept'); end;");
        }
        click(&dlg, "selectAllButton");
        f.dialogs.answers = {Answer::Ok};
        click(&dlg, "batchDeleteButton");
        QCOMPARE(f.dialogs.asked[0].caption, QStringLiteral("收件人 - 批量删除"));
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("kept"));
        QCOMPARE(dlg.grid()->rowCount(), 3); // the failure undid every delete
        QCOMPARE(MasterBook(f.db(), receiverBook()).list().size(), std::size_t(2));
        {
            DbConnection db;
            db.open(f.db());
            db.executeScript("drop trigger keep;");
        }
        f.add(receiverBook(), {{"rname", "4"}, {"rmobile", "4"}, {"raddress", "a"}});
        dlg.grid()->setChecked(0, false);
        f.dialogs.answers = {Answer::Ok};
        click(&dlg, "batchDeleteButton");
        QCOMPARE(dlg.grid()->rowCount(), 1);
        QCOMPARE(dlg.grid()->cellText(0, 6), QStringLiteral("1"));
        QCOMPARE(MasterBook(f.db(), receiverBook()).list().size(), std::size_t(2)); // 1 and the new 4
    }

    void classMaintenanceAndBatchClassChange()
    {
        Fixture f;
        f.add(receiverBook(), {{"rname", "甲"}, {"rmobile", "1"}, {"raddress", "a"}});
        f.add(receiverBook(), {{"rname", "乙"}, {"rmobile", "2"}, {"raddress", "b"}});
        CReceiver dlg(f.db(), f.dialogs);
        QStringList captions;
        std::deque<QString> names{QStringLiteral("批发"), QStringLiteral("批发"), QStringLiteral("零售")};
        dlg.askClassName = [&](const QString &caption, const QString &) -> std::optional<QString> {
            captions << caption;
            QString n = names.front();
            names.pop_front();
            return n;
        };
        QStringList offered;
        dlg.chooseClass = [&](const QStringList &classes) -> std::optional<QString> {
            offered = classes;
            return QStringLiteral("批发");
        };
        showActive(&dlg);
        auto *list = child<QListWidget>(&dlg, "classList");
        click(&dlg, "classRename");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("全部类别无法修改"));
        click(&dlg, "classDelete");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("全部类别无法删除"));
        QVERIFY(captions.isEmpty());

        click(&dlg, "classAdd");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->currentItem()->text(), QStringLiteral("批发"));
        click(&dlg, "classAdd");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("该用户类别已经存在"));
        QCOMPARE(captions, (QStringList{QStringLiteral("收件人类别 - 新增"), QStringLiteral("收件人类别 - 新增")}));

        click(&dlg, "batchClassButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("请先勾选需要修改类别的收件人"));
        QVERIFY(offered.isEmpty()); // no chooser without a checked row
        dlg.grid()->setChecked(1, true);
        QTest::keyClick(&dlg, Qt::Key_L, Qt::ControlModifier);
        QVERIFY(offered.contains(QStringLiteral("批发")));
        QCOMPARE(MasterBook(f.db(), receiverBook()).list("批发").size(), std::size_t(1));

        list->setCurrentRow(list->count() - 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->currentItem()).center());
        QCOMPARE(dlg.grid()->rowCount(), 1);
        click(&dlg, "classRename");
        QCOMPARE(list->currentItem()->text(), QStringLiteral("零售"));
        f.dialogs.answers = {Answer::Ok};
        click(&dlg, "classDelete");
        QCOMPARE(f.dialogs.asked.back().caption, QStringLiteral("收件人类别 - 删除"));
        QCOMPARE(list->count(), 1);
        // The member keeps its class text and is listed under all classes only.
        QCOMPARE(MasterBook(f.db(), receiverBook()).list("批发").size(), std::size_t(1));
    }

    void theClassMenuWorksOnTheItemUnderThePointer()
    {
        Fixture f;
        MasterBook(f.db(), receiverBook()).addClass("批发");
        CReceiver dlg(f.db(), f.dialogs);
        QStringList asked;
        dlg.askClassName = [&](const QString &caption, const QString &text) -> std::optional<QString> {
            asked << caption << text;
            return std::nullopt;
        };
        showActive(&dlg);
        auto *list = child<QListWidget>(&dlg, "classList");
        QCOMPARE(list->currentRow(), 0);
        const QPoint pos = list->visualItemRect(list->item(1)).center();
        QStringList entries;
        test::pickPopupEntry(1, entries);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, pos, list->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(list->viewport(), &menu);
        QCOMPARE(entries,
                 (QStringList{QStringLiteral("增加类别"), QStringLiteral("修改类别"), QStringLiteral("删除类别")}));
        QCOMPARE(asked, (QStringList{QStringLiteral("收件人类别 - 修改"), QStringLiteral("批发")}));
    }

    void everyBookOpensOnAllClassesAndANewEntryTakesNoClassUnasked()
    {
        // By their bytes these classes sort before "_全部类别_".
        const QStringList expected{QStringLiteral("_全部类别_"), QStringLiteral("1组"), QStringLiteral("A类"),
                                   QStringLiteral("VIP会员"), QStringLiteral("张三组")};
        Fixture f;
        for (const BookKind *kind : {&receiverBook(), &senderBook(), &cargoBook()})
            for (const QString &c : expected.mid(1))
                QVERIFY(MasterBook(f.db(), *kind).addClass(ss(c)).ok());
        std::vector<std::unique_ptr<CBookDlg>> books;
        books.push_back(std::make_unique<CReceiver>(f.db(), f.dialogs));
        books.push_back(std::make_unique<CSender>(f.db(), f.dialogs));
        books.push_back(std::make_unique<CCargo>(f.db(), f.dialogs));
        const char *classColumn[] = {"rclass", "sclass", "cclass"};
        for (std::size_t i = 0; i < books.size(); ++i) {
            CBookDlg &dlg = *books[i];
            showActive(&dlg);
            auto *list = child<QListWidget>(&dlg, "classList");
            QStringList shown;
            for (int r = 0; r < list->count(); ++r)
                shown << list->item(r)->text();
            QCOMPARE(shown, expected);
            QCOMPARE(list->currentItem()->text(), expected[0]);
            click(&dlg, "newButton");
            auto *combo = child<QComboBox>(&dlg, classColumn[i]);
            QCOMPARE(combo->currentText(), expected[0]);
            QStringList offered;
            for (int r = 0; r < combo->count(); ++r)
                offered << combo->itemText(r);
            QCOMPARE(offered, expected);
            // A class added later takes its place in the order.
            dlg.askClassName = [](const QString &, const QString &) -> std::optional<QString> {
                return QStringLiteral("B类");
            };
            click(&dlg, "classAdd");
            QCOMPARE(list->item(3)->text(), QStringLiteral("B类"));
            QCOMPARE(list->currentItem()->text(), QStringLiteral("B类"));
            dlg.hide();
        }
    }

    void importAndExportThroughTheDialog()
    {
        Fixture f;
        f.add(receiverBook(), {{"rname", "=1+1"}, {"rmobile", "138"}, {"raddress", "北京路1号"}});
        CReceiver dlg(f.db(), f.dialogs);
        showActive(&dlg);

        // Export: UTF-8 with its mark by default, GBK when chosen; ".csv" is
        // added to a name without one.
        f.dialogs.paths = {QString::fromStdString(f.dir.file("utf8")), QString::fromStdString(f.dir.file("gbk.csv"))};
        f.dialogs.fileTypes = {0, 1};
        click(&dlg, "exportButton");
        QCOMPARE(f.dialogs.fileCaptions.back(), QStringLiteral("导出"));
        const std::string utf8 = test::slurp(f.dir.file("utf8.csv"));
        QVERIFY(utf8.starts_with("\xEF\xBB\xBF姓名,类别,旺旺号,QQ号,手机,"));
        QCOMPARE(f.dialogs.lastText(),
                 QStringLiteral("已导出 1 条记录到 %1").arg(QString::fromStdString(f.dir.file("utf8.csv"))));
        click(&dlg, "exportButton");
        const std::string gbk = test::slurp(f.dir.file("gbk.csv"));
        QVERIFY(gbk.starts_with(utf8ToGbk("姓名,类别,")));
        QCOMPARE(gbkToUtf8(gbk), utf8.substr(3));

        // The data folder's own files are refused, whatever the name given;
        // so is GBK for an entry it cannot write. Nothing is written.
        const std::string database = test::slurp(f.db());
        const QString own = QString::fromStdString(f.folder.path("data/../data/data.db"));
        f.dialogs.paths = {own, QString::fromStdString(f.dir.file("gbk.csv"))};
        f.dialogs.fileTypes = {0, 1};
        click(&dlg, "exportButton");
        QCOMPARE(
            f.dialogs.lastText(),
            QStringLiteral("无法写入文件 %1：这是数据文件夹自己的文件（数据库、备份、设置或模板），不能写入").arg(own));
        QVERIFY(test::slurp(f.db()) == database);
        f.add(receiverBook(), {{"rname", "私\uE78D"}, {"rmobile", "2"}, {"raddress", "路"}});
        click(&dlg, "exportButton");
        QVERIFY(f.dialogs.lastText().contains(QStringLiteral("中有 GBK 无法写出的字符，请用 UTF-8 导出")));
        QVERIFY(test::slurp(f.dir.file("gbk.csv")) == gbk);

        // Import into another shop: the entries, the summary with the skipped
        // lines, the grid and the class list read again.
        Fixture other;
        CReceiver copy(other.db(), other.dialogs);
        showActive(&copy);
        other.add(receiverBook(), {{"rname", "老客户"}, {"rmobile", "139"}, {"raddress", "上海路2号"}});
        const std::string csv = "姓名,手机,地址,类别\r\n"
                                "新客户,137,广州路3号,批发\r\n"
                                "没手机,,深圳路4号,\r\n"
                                "老客户改,139,上海路2号,\r\n";
        test::spit(other.dir.file("in.csv"), csv);
        other.dialogs.paths = {QString::fromStdString(other.dir.file("in.csv"))};
        click(&copy, "importButton");
        QCOMPARE(other.dialogs.fileCaptions.back(), QStringLiteral("导入"));
        QCOMPARE(other.dialogs.lastText(),
                 QStringLiteral("新增 1，更新 1，跳过 1\n\n跳过的行：\n第3行：请输入手机号码!"));
        QCOMPARE(copy.grid()->rowCount(), 2);
        QVERIFY(!child<QListWidget>(&copy, "classList")->findItems(QStringLiteral("批发"), Qt::MatchExactly).isEmpty());
        QVERIFY(!copy.findChild<QProgressDialog *>(QStringLiteral("importProgress"))); // a small file

        // A text that a spreadsheet would run as a formula comes back as it
        // was written, whatever the file holds to keep it from running.
        other.dialogs.paths = {QString::fromStdString(f.dir.file("gbk.csv"))};
        click(&copy, "importButton");
        QCOMPARE(other.dialogs.lastText(), QStringLiteral("新增 1，更新 0，跳过 0"));
        auto formula = MasterBook(other.db(), receiverBook()).find({{"rmobile", "138"}, {"raddress", "北京路1号"}});
        QVERIFY(formula);
        QCOMPARE(formula->text("rname"), std::string("=1+1"));

        // Cancelled file dialogs do nothing.
        const std::size_t asked = other.dialogs.asked.size();
        click(&copy, "importButton");
        click(&copy, "exportButton");
        QCOMPARE(other.dialogs.asked.size(), asked);
    }

    void aLargeImportShowsItsProgress()
    {
        Fixture f;
        CCargo dlg(f.db(), f.dialogs);
        showActive(&dlg);
        std::string csv = "货品名称,简称,重量\r\n";
        const int rows = int(kImportProgressRows) + 1;
        for (int i = 0; i < rows; ++i)
            csv += "货品" + std::to_string(i) + ",简" + std::to_string(i) + ",1.5\r\n";
        test::spit(f.dir.file("goods.csv"), csv);
        f.dialogs.paths = {QString::fromStdString(f.dir.file("goods.csv"))};
        click(&dlg, "importButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("新增 %1，更新 0，跳过 0").arg(rows));
        auto *progress = dlg.findChild<QProgressDialog *>(QStringLiteral("importProgress"));
        QVERIFY(progress);
        QCOMPARE(progress->maximum(), rows);
        QCOMPARE(progress->value(), rows);
        QVERIFY(!progress->isVisible());
        QCOMPARE(dlg.grid()->rowCount(), rows);
    }

    void senderAndGoodsHaveTheirOwnTexts()
    {
        Fixture f;
        CSender sender(f.db(), f.dialogs);
        QCOMPARE(sender.windowTitle(), QStringLiteral("新发件人"));
        QCOMPARE(sender.grid()->columnTitle(18), QStringLiteral("发件人签名"));
        click(&sender, "deleteButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("没有选择发件人"));

        CCargo goods(f.db(), f.dialogs);
        QCOMPARE(goods.windowTitle(), QStringLiteral("添加货品"));
        QCOMPARE(goods.grid()->columnCount(), 14);
        QVERIFY(qobject_cast<CDEdit *>(child<QWidget>(&goods, "cweight")));
        QVERIFY(qobject_cast<QLineEdit *>(child<QWidget>(&goods, "cnote")));
        showActive(&goods);
        click(&goods, "newButton");
        type(&goods, "cname", QStringLiteral("龙井"));
        click(&goods, "saveButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("请输入货品简称!"));
        type(&goods, "cshort", QStringLiteral("茶"));
        QTest::keyClicks(child<QLineEdit>(&goods, "cweight"), QStringLiteral("1.5.x"));
        click(&goods, "saveButton");
        QCOMPARE(goods.grid()->rowCount(), 1);
        QCOMPARE(goods.grid()->cellText(0, 6), QStringLiteral("1.5"));
        click(&goods, "saveButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("货品名称重复!"));
        // Goods change class by name; the chooser opens with nothing checked.
        bool opened = false;
        goods.chooseClass = [&](const QStringList &) -> std::optional<QString> {
            opened = true;
            return std::nullopt;
        };
        click(&goods, "batchClassButton");
        QVERIFY(opened);
    }
};

QTEST_MAIN(CReceiverTest)
#include "CReceiver_test.moc"
