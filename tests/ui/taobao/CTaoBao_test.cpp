#include "core/config/AppState.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "support/TempDir.h"
#include "ui/common/Dialogs.h"
#include "ui/data/CReportCtrl.h"
#include "ui/taobao/BrowserCheck.h"
#include "ui/taobao/CTaoBao.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace zentra;
using namespace zentra::ui;
using Answer = Dialogs::Answer;

namespace {

// Two orders to one buyer and one to another, in the order report as the back
// office exports it; the message of the first holds a comma, quotes and a
// line break.
const char *const kOrders =
    "\xEF\xBB\xBF订单编号,买家会员名,订单状态,订单创建时间,买家应付货款,买家应付邮费,总金额,收货人姓名,"
    "买家留言,联系手机,联系电话,收货地址\r\n"
    "=\"31\",amy,等待发货,2026-12-01 10:00:00,10,5,15,王五,\"快点,\"\"谢谢\"\"\n好\",'13900000000,,"
    "\"上海 上海市 浦东新区 某路(200120)\"\r\n"
    "=\"32\",amy,等待发货,2026-12-02 10:00:00,20,0,20,王五,,'13900000000,,\"上海 上海市 浦东新区 某路(200120)\"\r\n"
    "=\"33\",bob,已发货,2026-12-03 10:00:00,30,0,30,李四,,'13800000000,,\"浙江省 杭州市 西湖区 文三路\"\r\n";

struct Fixture {
    test::TempDir dir;
    DataFolder folder{dir.path()};
    ScriptedDialogs dialogs;
    AppState state;
    Fixture() { initDataFolder(folder); }
    std::string write(const std::string &name, const std::string &text)
    {
        test::spit(dir.file(name), text);
        return dir.file(name);
    }
    int count(const std::string &sql)
    {
        DbConnection db;
        db.open(folder.databasePath());
        DbRows rows = db.query(sql);
        return rows.empty() ? -1 : std::atoi(rows[0].at(0).c_str());
    }
};

void click(QWidget *w, const char *name)
{
    auto *b = w->findChild<QPushButton *>(QString::fromLatin1(name));
    QVERIFY2(b, name);
    QTest::mouseClick(b, Qt::LeftButton);
}

void showActive(QWidget *w)
{
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

}

class CTaoBaoTest : public QObject {
    Q_OBJECT
private slots:
    void opensEmptyWithTheMonthAndTheDetailCollapsed()
    {
        Fixture f;
        CTaoBao dlg(f.state, f.folder, f.dialogs);
        showActive(&dlg);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("淘宝订单"));
        QCOMPARE(dlg.orderGrid()->rowCount(), 0);
        QCOMPARE(dlg.orderGrid()->columnCount(), 12);
        QCOMPARE(dlg.orderGrid()->columnTitle(10), QStringLiteral("收货地址"));
        QCOMPARE(dlg.goodsList()->columnCount(), 6);
        QVERIFY(!dlg.isDetailShown());
        // The range box names the period the pickers show: the month so far.
        auto *range = dlg.findChild<QComboBox *>(QStringLiteral("rangeCombo"));
        QCOMPARE(range->currentText(), QStringLiteral("本月"));
        QCOMPARE(range->count(), 7);
        auto *from = dlg.findChild<QDateTimeEdit *>(QStringLiteral("fromPicker"));
        auto *to = dlg.findChild<QDateTimeEdit *>(QStringLiteral("toPicker"));
        QCOMPARE(from->dateTime().date().day(), 1);
        QCOMPARE(from->dateTime().time(), QTime(0, 0));
        QCOMPARE(to->dateTime().date(), QDate::currentDate());
        // A picker changed by hand makes the range "自定义".
        from->setDateTime(from->dateTime().addDays(1));
        QCOMPARE(range->currentText(), QStringLiteral("自定义"));
    }

    // A file that is not a report is named so; the orders passed over are
    // listed with their lines after the others are stored.
    void importNamesWhatItCannotRead()
    {
        Fixture f;
        CTaoBao dlg(f.state, f.folder, f.dialogs);
        showActive(&dlg);
        f.dialogs.paths.push_back(QString::fromStdString(f.write("notes.csv", "备注,金额\r\n一,1\r\n")));
        click(&dlg, "importOrdersButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("不是订单报表：没有“订单编号”列"));
        QCOMPARE(dlg.orderGrid()->rowCount(), 0);

        std::string report = kOrders;
        report.insert(report.find("=\"32\""), "=\"39\",amy,\"没有结尾\r\n");
        f.dialogs.paths.push_back(QString::fromStdString(f.write("quote.csv", report)));
        click(&dlg, "importOrdersButton");
        QCOMPARE(dlg.orderGrid()->rowCount(), 3);
        QCOMPARE(f.count("select count(*) from tbList"), 3);
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("跳过 1 条：\n第4行：引号不成对"));
    }

    void importQueryMergeAndDetails()
    {
        Fixture f;
        CTaoBao dlg(f.state, f.folder, f.dialogs);
        showActive(&dlg);
        f.dialogs.paths.push_back(QString::fromStdString(f.write("orders.csv", kOrders)));
        click(&dlg, "importOrdersButton");
        QCOMPARE(f.dialogs.fileCaptions.back(), QStringLiteral("导入订单报表"));
        CReportCtrl *grid = dlg.orderGrid();
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(grid->cellText(0, 2), QStringLiteral("31"));
        QCOMPARE(grid->cellText(0, 11), QStringLiteral("快点,\"谢谢\"\n好"));
        QCOMPARE(grid->cellText(2, 5), QStringLiteral("浙江省 杭州市"));
        QCOMPARE(f.count("select count(*) from tbList"), 3);

        dlg.setPeriod(QStringLiteral("2026-12-01 00:00:00"), QStringLiteral("2026-12-31 23:59:59"));
        dlg.query(false);
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(grid->cellText(0, 2), QStringLiteral("33")); // newest first
        dlg.query(true);
        QCOMPARE(grid->rowCount(), 2);
        QCOMPARE(grid->cellText(1, 2), QStringLiteral("32"));
        // The lower bound is exclusive.
        dlg.setPeriod(QStringLiteral("2026-12-01 10:00:00"), QStringLiteral("2026-12-31 23:59:59"));
        dlg.query(false);
        QCOMPARE(grid->rowCount(), 2);

        f.write("items.csv", "订单编号,标题,价格,购买数量,商品属性\n=\"32\",茶,5,3,\"a,b\"\n");
        const QPoint cell = grid->visualRect(grid->model()->index(1, 3)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QVERIFY(dlg.isDetailShown());
        QCOMPARE(dlg.findChild<QLineEdit *>(QStringLiteral("orderNumEdit"))->text(), QStringLiteral("32"));
        QCOMPARE(dlg.goodsList()->rowCount(), 0);
        f.dialogs.paths.push_back(QString::fromStdString(f.dir.file("items.csv")));
        click(&dlg, "importItemsButton");
        QCOMPARE(dlg.goodsList()->rowCount(), 1);
        QCOMPARE(dlg.goodsList()->cellText(0, 3), QStringLiteral("a,b"));
        click(&dlg, "saveGoodsButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("所有宝贝信息已经添加到货品列表!"));
        QCOMPARE(f.count("select count(*) from cargo where cname='茶' and cclass='淘宝'"), 1);
        click(&dlg, "saveReceiverButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("该客户信息已经添加到收件人列表!"));
        QCOMPARE(f.count("select count(*) from receiver where rname='王五' and rpost='200120'"), 1);
        click(&dlg, "hideDetailButton");
        QVERIFY(!dlg.isDetailShown());

        // A file that cannot be read.
        f.dialogs.paths.push_back(QString::fromStdString(f.dir.file("missing.csv")));
        click(&dlg, "importOrdersButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("打开文件失败"));
    }

    void checkedOrdersGoToTheBooksThePrintListOrAway()
    {
        Fixture f;
        CTaoBao dlg(f.state, f.folder, f.dialogs);
        showActive(&dlg);
        f.dialogs.paths.push_back(QString::fromStdString(f.write("orders.csv", kOrders)));
        click(&dlg, "importOrdersButton");
        CReportCtrl *grid = dlg.orderGrid();

        for (const char *name : {"addReceiversButton", "addPrintListButton", "deleteButton"}) {
            click(&dlg, name);
            QVERIFY(f.dialogs.lastText().startsWith(QStringLiteral("请勾选需要")));
        }

        click(&dlg, "selectAllButton");
        QCOMPARE(grid->checkedRows().size(), 3);
        click(&dlg, "addReceiversButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("所有客户信息已经添加到收件人列表!"));
        QCOMPARE(f.count("select count(*) from receiver where rclass='淘宝订单'"), 2);
        click(&dlg, "addPrintListButton");
        QCOMPARE(f.dialogs.lastText(),
                 QStringLiteral("已添加 2 个订单到打印列表，跳过 1 个订单：\n订单 32：该收件人已在打印列表中"));
        QCOMPARE(f.dialogs.asked.back().icon, Dialogs::Icon::Warning);
        QCOMPARE(f.count("select count(*) from printList"), 2); // one row per receiver

        click(&dlg, "selectNoneButton");
        grid->setChecked(0, true);
        grid->setChecked(2, true);
        f.dialogs.answers.push_back(Answer::Cancel);
        click(&dlg, "deleteButton");
        QCOMPARE(f.dialogs.asked.back().caption, QStringLiteral("淘宝订单 - 删除"));
        QCOMPARE(grid->rowCount(), 3);
        click(&dlg, "deleteButton");
        QCOMPARE(grid->rowCount(), 1);
        QCOMPARE(grid->cellText(0, 2), QStringLiteral("32"));
        QCOMPARE(f.count("select count(*) from tbList"), 1);
    }

    void ordersWithoutAStreetAreNamedAndNotAdded()
    {
        // "方法二": the fixed recognition finds no street in "测试路0号".
        Fixture f;
        f.state.tbRecognizeMethod = 1;
        CTaoBao dlg(f.state, f.folder, f.dialogs);
        showActive(&dlg);
        const char *orders = "订单编号,买家会员名,订单状态,订单创建时间,买家应付货款,买家应付邮费,总金额,收货人姓名,"
                             "买家留言,联系手机,联系电话,收货地址\n"
                             "=\"41\",bob,等待发货,2026-12-01 10:00:00,10,0,10,张三,,13800000000,,"
                             "浙江省 杭州市 西湖区 测试路0号\n";
        f.dialogs.paths.push_back(QString::fromStdString(f.write("orders.csv", orders)));
        click(&dlg, "importOrdersButton");
        click(&dlg, "selectAllButton");
        click(&dlg, "addReceiversButton");
        QCOMPARE(f.dialogs.lastText(),
                 QStringLiteral("已添加 0 个客户信息到收件人列表，跳过 1 个订单：\n订单 41：收货地址中没有街道地址"));
        QCOMPARE(f.count("select count(*) from receiver"), 0);
        click(&dlg, "addPrintListButton");
        QCOMPARE(f.dialogs.lastText(),
                 QStringLiteral("已添加 0 个订单到打印列表，跳过 1 个订单：\n订单 41：收货地址中没有街道地址"));
        QCOMPARE(f.count("select count(*) from printList"), 0);
        // The single save says why too.
        const QPoint cell = dlg.orderGrid()->visualRect(dlg.orderGrid()->model()->index(0, 3)).center();
        QTest::mouseClick(dlg.orderGrid()->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(dlg.orderGrid()->viewport(), Qt::LeftButton, {}, cell);
        QVERIFY(dlg.isDetailShown());
        click(&dlg, "saveReceiverButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("无效收货地址！\n收货地址中没有街道地址"));
    }

    void aBrowserThatCannotStartIsToldAndTheListGoesOn()
    {
        Fixture f;
        f.state.tbBrowserOpen = true;
        CTaoBao dlg(f.state, f.folder, f.dialogs);
        dlg.browserProblem = [] {
            BrowserEnvironment env;
            env.root = true;
            return browserStartProblem(env);
        };
        showActive(&dlg);
        // The automatic opening and the button both refuse, with the reason.
        QTRY_COMPARE(f.dialogs.asked.size(), std::size_t(1));
        QVERIFY(f.dialogs.lastText().startsWith(QStringLiteral("浏览器不能以 root（系统管理员）身份运行")));
        click(&dlg, "browserButton");
        QCOMPARE(f.dialogs.asked.size(), std::size_t(2));
        QCOMPARE(f.dialogs.asked.back().caption, QStringLiteral("浏览器"));
        QVERIFY(!dlg.browser());
        QVERIFY(dlg.isVisible());
        // The rest of the list still works.
        f.dialogs.paths.push_back(QString::fromStdString(f.write("orders.csv", kOrders)));
        click(&dlg, "importOrdersButton");
        QCOMPARE(dlg.orderGrid()->rowCount(), 3);
    }

    void whenTheBrowserCanStart()
    {
        BrowserEnvironment env;
        QVERIFY(browserStartProblem(env).isEmpty());
        env.root = true;
        QVERIFY(!browserStartProblem(env).isEmpty());
        env.sandboxSwitchedOff = true; // whoever started it chose so
        QVERIFY(browserStartProblem(env).isEmpty());
        env.root = false;
        env.helperFound = false;
        env.helperPath = QStringLiteral("/nowhere/QtWebEngineProcess");
        QVERIFY(browserStartProblem(env).contains(QStringLiteral("/nowhere/QtWebEngineProcess")));
        // This test runs with the engine's helper in place.
        QVERIFY(currentBrowserEnvironment().helperFound);
    }
};

QTEST_MAIN(CTaoBaoTest)
#include "CTaoBao_test.moc"
