#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "support/LocalHttpServer.h"
#include "support/TempDir.h"
#include "ui/common/Dialogs.h"
#include "ui/data/CReportCtrl.h"
#include "ui/taobao/CBrowser.h"
#include "ui/taobao/CTaoBao.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

#include <algorithm>

using namespace zentra;
using namespace zentra::ui;

namespace {

const std::string kDetailPath = "/trade/detail/trade_item_detail.htm?spm=a1&bizOrderId=5566";
const std::string kAddressPath = "/trade/json/order_address_info.htm?bizOrderId=5566";

std::string detailPage(const std::string &origin, const std::string &status)
{
    return "<html><head><meta charset='utf-8'></head><body>"
           "<span class='wait'>" + status + "</span><span class='nickname'>amy</span>"
           "<span class='city'>上海 上海市</span><span class='order-num'>5566</span>"
           "<span class='trade-time'>2026-12-01 10:00:00</span><table>"
           "<tr class='order-item'><td class='item'>茶</td><td class='sku'>红</td><td class='price'>6.00</td>"
           "<td class='num'>2</td><td class='order-price'>12.00(快递 : 5.00 )</td></tr>"
           "<tr class='order-item'><td class='item'>杯</td><td class='sku'></td><td class='price'>5.00</td>"
           "<td class='num'>1</td></tr>"
           "<tr class='order-ft'><td class='get-money'>实收款：17.00元</td></tr></table>"
           "<span id='J_BlockBuyerAddress' data-url='" + origin + kAddressPath + "'></span></body></html>";
}

const std::string kReply =
    R"j({"address":{"name":"王五","mobilephone":"13900000000","phone":"","addr":"上海 上海市 浦东新区 某路","post":"200120"}})j";

struct Fixture {
    test::TempDir dir;
    DataFolder folder{dir.path()};
    ScriptedDialogs dialogs;
    AppState state;
    test::LocalHttpServer server;
    Fixture()
    {
        initDataFolder(folder);
        ConfigFile config(folder.configPath());
        config.writeText("Taobao", "loginPage", server.origin() + "/login");
        config.writeText("Taobao", "addressHost", server.origin().substr(7)); // without "http://"
        server.serve("/login", "<html><body>login</body></html>", 200, "text/html; charset=utf-8");
    }
    std::string query(const std::string &sql)
    {
        DbConnection db;
        db.open(folder.databasePath());
        DbRows rows = db.query(sql);
        return rows.empty() ? std::string() : rows[0].at(0);
    }
    int requestsOf(const std::string &path) const
    {
        const auto r = server.requests();
        return int(std::count(r.begin(), r.end(), path));
    }
    QString url(const std::string &path) const { return QString::fromStdString(server.origin() + path); }
};

bool waitForLocation(CBrowser *b, const QString &suffix)
{
    return QTest::qWaitFor([&] { return b->view()->url().toString().endsWith(suffix); }, 10000);
}

}

class CBrowserTest : public QObject {
    Q_OBJECT
private slots:
    void aDetailPageReadTwiceAddsTheOrderOnceAndRefreshesItsStatus()
    {
        Fixture f;
        f.server.serve(kDetailPath, detailPage(f.server.origin(), "等待发货"), 200, "text/html; charset=utf-8");
        // The first reply comes in parentheses, the second bare.
        f.server.serve(kAddressPath, "(" + kReply + ")", 200, "text/plain; charset=utf-8");
        CTaoBao dlg(f.state, f.folder, f.dialogs);
        dlg.show();
        CBrowser *browser = dlg.openBrowser();
        QCOMPARE(browser->windowTitle(), QStringLiteral("浏览器"));
        QVERIFY(waitForLocation(browser, QStringLiteral("/login")));
        QCOMPARE(dlg.openBrowser(), browser); // one window per order list

        browser->navigate(f.url(kDetailPath));
        QTRY_COMPARE_WITH_TIMEOUT(dlg.orderGrid()->rowCount(), 1, 10000);
        CReportCtrl *grid = dlg.orderGrid();
        QCOMPARE(grid->cellText(0, 2), QStringLiteral("5566"));
        QCOMPARE(grid->cellText(0, 7), QStringLiteral("12.00"));
        QCOMPARE(grid->cellText(0, 8), QStringLiteral("5.00"));
        QCOMPARE(grid->cellText(0, 9), QStringLiteral("17.00"));
        QCOMPARE(grid->cellText(0, 10), QStringLiteral("王五，13900000000，，上海 上海市 浦东新区 某路，200120"));
        QCOMPARE(dlg.goodsList()->rowCount(), 2);
        QCOMPARE(browser->state(), 2);
        QCOMPARE(f.query("select tb_status from tbList where tb_orderNum='5566'"), std::string("等待发货"));
        QCOMPARE(f.query("select count(*) from tbGoods where tb_orderNum='5566'"), std::string("2"));
        // Back on the detail page, which is not read again in state 2.
        QVERIFY(waitForLocation(browser, QString::fromStdString(kDetailPath.substr(kDetailPath.size() - 12))));
        QTest::qWait(300);
        QCOMPARE(f.requestsOf(kAddressPath), 1);

        f.server.serve(kDetailPath, detailPage(f.server.origin(), "卖家已发货"), 200, "text/html; charset=utf-8");
        f.server.serve(kAddressPath, kReply, 200, "application/json");
        QTest::mouseClick(browser->findChild<QPushButton *>(QStringLiteral("refreshButton")), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(grid->cellText(0, 3), QStringLiteral("卖家已发货"), 10000);
        QCOMPARE(grid->rowCount(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(f.query("select tb_status from tbList where tb_orderNum='5566'"),
                                  std::string("卖家已发货"), 5000);
        QCOMPARE(f.query("select count(*) from tbList"), std::string("1"));
        QCOMPARE(f.query("select count(*) from tbGoods"), std::string("2"));
    }

    void aBusyServiceIsAskedAFewTimesThenGivenUp()
    {
        Fixture f;
        f.server.serve(kDetailPath, detailPage(f.server.origin(), "等待发货"), 200, "text/html; charset=utf-8");
        f.server.serve(kAddressPath, "系统繁忙", 200, "text/plain; charset=utf-8");
        CTaoBao dlg(f.state, f.folder, f.dialogs);
        CBrowser *browser = dlg.openBrowser();
        browser->retryDelayMs = 20;
        browser->navigate(f.url(kDetailPath));
        QTRY_VERIFY_WITH_TIMEOUT(!f.dialogs.asked.empty(), 15000);
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("获取收货地址失败，请稍后再试"));
        QCOMPARE(f.requestsOf(kAddressPath), 1 + browser->retryLimit);
        QCOMPARE(dlg.orderGrid()->rowCount(), 0);
        QCOMPARE(f.query("select count(*) from tbList"), std::string("0"));
    }

    void aLinkToANewWindowOpensInTheSameView()
    {
        Fixture f;
        f.server.serve("/start", "<html><body><a id='l' href='/other' target='_blank'>x</a></body></html>", 200,
                       "text/html; charset=utf-8");
        f.server.serve("/other", "<html><body>other</body></html>", 200, "text/html; charset=utf-8");
        ScriptedDialogs dialogs;
        OrderPageSettings settings;
        settings.loginPage = f.server.origin() + "/start";
        CBrowser browser(settings, QString::fromStdString(f.dir.file("browser")), dialogs);
        browser.show();
        QVERIFY(waitForLocation(&browser, QStringLiteral("/start")));
        browser.view()->page()->runJavaScript(QStringLiteral("document.getElementById('l').click()"));
        QVERIFY(waitForLocation(&browser, QStringLiteral("/other")));
        QTRY_COMPARE_WITH_TIMEOUT(browser.findChild<QLineEdit *>(QStringLiteral("addressEdit"))->text(), f.url("/other"), 10000);
    }
};

int main(int argc, char **argv)
{
    // Tests run as root, where the browser's sandbox cannot start.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    CBrowserTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "CBrowser_test.moc"
