#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "support/TempDir.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/MainCommands.h"
#include "ui/app/ShellServices.h"
#include "ui/common/Dialogs.h"
#include "ui/recognition/CAddressRecoginize.h"
#include "ui/recognition/RecognitionCommands.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace zentra;
using namespace zentra::ui;

namespace {

struct Fixture {
    test::TempDir dir;
    DataFolder folder{dir.path()};
    ScriptedDialogs dialogs;
    Fixture()
    {
        initDataFolder(folder);
        QGuiApplication::clipboard()->clear();
    }
    std::unique_ptr<CAddressRecoginize> open()
    {
        return std::make_unique<CAddressRecoginize>(folder.databasePath(), folder.configPath(), dialogs);
    }
    int count(const char *table)
    {
        DbConnection db;
        if (!db.open(folder.databasePath()))
            return -1;
        return int(db.query(std::string("select * from ") + table).size());
    }
};

template <class W> W *child(QWidget *w, const char *name)
{
    W *c = w->findChild<W *>(QString::fromLatin1(name));
    if (!c)
        qFatal("no child %s", name);
    return c;
}

QString box(QWidget *w, const char *name)
{
    return child<QLineEdit>(w, name)->text();
}

void showActive(QWidget *w)
{
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

const char *const kBoxNames[9] = {"name", "mobile",   "phone",   "post",   "province",
                                  "city", "district", "address", "company"};

}

class CAddressRecoginizeTest : public QObject {
    Q_OBJECT
private slots:
    void theExampleFillsTheNineBoxesWithEitherMethod()
    {
        const QStringList expected = {"张三",   "13800138000", "029-88887777",  "710065",        "陕西省",
                                      "西安市", "雁塔区",      "高新路3号附近", "西安移动营业厅"};
        for (int method : {0, 1}) {
            Fixture f;
            auto dlg = f.open();
            QCOMPARE(dlg->windowTitle(), QStringLiteral("收货信息识别"));
            child<QComboBox>(dlg.get(), "method")->setCurrentIndex(method);
            child<QPushButton>(dlg.get(), "exampleButton")->click();
            QCOMPARE(child<QPlainTextEdit>(dlg.get(), "input")->toPlainText(),
                     QString::fromUtf8(CAddressRecoginize::exampleText()));
            for (int i = 0; i < 9; ++i)
                QCOMPARE(box(dlg.get(), kBoxNames[i]), expected[i]);
        }
    }

    void anEmptyInputAsksForTextAndLeavesTheBoxes()
    {
        Fixture f;
        auto dlg = f.open();
        child<QLineEdit>(dlg.get(), "name")->setText(QStringLiteral("改过的"));
        for (const QString &input : {QString(), QStringLiteral(" \n ")}) {
            child<QPlainTextEdit>(dlg.get(), "input")->setPlainText(input);
            f.dialogs.asked.clear();
            child<QPushButton>(dlg.get(), "recognizeButton")->click();
            QCOMPARE(f.dialogs.lastText(), QStringLiteral("请输入需要识别的内容"));
            QCOMPARE(box(dlg.get(), "name"), QStringLiteral("改过的"));
        }
        // A text overwrites every box, also with what it does not contain.
        child<QLineEdit>(dlg.get(), "company")->setText(QStringLiteral("旧公司"));
        child<QPlainTextEdit>(dlg.get(), "input")->setPlainText(QStringLiteral("李四，13912345678"));
        f.dialogs.asked.clear();
        child<QPushButton>(dlg.get(), "recognizeButton")->click();
        QVERIFY(f.dialogs.asked.empty());
        QCOMPARE(box(dlg.get(), "name"), QStringLiteral("李四"));
        QCOMPARE(box(dlg.get(), "mobile"), QStringLiteral("13912345678"));
        QCOMPARE(box(dlg.get(), "company"), QString());
    }

    void openingRecognisesTheClipboard()
    {
        Fixture f;
        QGuiApplication::clipboard()->setText(QStringLiteral("王五 13912345678 雁塔区科技路10号"));
        auto dlg = f.open();
        QCOMPARE(child<QPlainTextEdit>(dlg.get(), "input")->toPlainText(),
                 QStringLiteral("王五 13912345678 雁塔区科技路10号"));
        QCOMPARE(box(dlg.get(), "name"), QStringLiteral("王五"));
        QCOMPARE(box(dlg.get(), "city"), QStringLiteral("西安市"));

        // Without text on the clipboard the button changes nothing.
        QGuiApplication::clipboard()->clear();
        child<QPushButton>(dlg.get(), "clipboardButton")->click();
        QCOMPARE(box(dlg.get(), "name"), QStringLiteral("王五"));
        QVERIFY(f.dialogs.asked.empty());
    }

    void aCopiedWebPageOnTheClipboardIsReadAtOnce()
    {
        // Opening reads the clipboard: a copied page of a megabyte must neither
        // hold the window nor hide the delivery text at its top.
        Fixture f;
        QString page = QStringLiteral("收货人：张三 手机：13800138000 地址：陕西省西安市雁塔区高新路3号\n");
        const QString paragraph = QStringLiteral("首页 > 女装 | 发货地：浙江省杭州市 | 买家：王** 北京市朝阳区 上海发货 "
                                                 "客服电话 400-800-1234 店铺地址：广东省广州市白云区 石井街道 88号\n");
        while (page.size() < 400000)
            page += paragraph;
        QGuiApplication::clipboard()->setText(page);
        QElapsedTimer timer;
        timer.start();
        auto dlg = f.open();
        qInfo() << "opening with" << page.toUtf8().size() << "bytes on the clipboard took" << timer.elapsed() << "ms";
        QCOMPARE(child<QPlainTextEdit>(dlg.get(), "input")->toPlainText().size(), page.size());
        QCOMPARE(box(dlg.get(), "name"), QStringLiteral("张三"));
        QCOMPARE(box(dlg.get(), "mobile"), QStringLiteral("13800138000"));
        QCOMPARE(box(dlg.get(), "district"), QStringLiteral("雁塔区"));
        QCOMPARE(box(dlg.get(), "address"), QStringLiteral("高新路3号"));
    }

    void theMethodIsRememberedInTheConfiguration()
    {
        Fixture f;
        ConfigFile config(f.folder.configPath());
        {
            auto dlg = f.open();
            QCOMPARE(child<QComboBox>(dlg.get(), "method")->currentText(), QStringLiteral("智能识别"));
            child<QComboBox>(dlg.get(), "method")->setCurrentIndex(0);
            QCOMPARE(config.readText("System", "recognizeMethod"), std::string("0"));
        }
        auto dlg = f.open();
        QCOMPARE(child<QComboBox>(dlg.get(), "method")->currentText(), QStringLiteral("标准识别"));
        // The standard method keeps its blind spot for a name run into the number.
        child<QPlainTextEdit>(dlg.get(), "input")->setPlainText(QStringLiteral("王五13912345678，雁塔区科技路10号"));
        child<QPushButton>(dlg.get(), "recognizeButton")->click();
        QCOMPARE(box(dlg.get(), "name"), QString());
        child<QComboBox>(dlg.get(), "method")->setCurrentIndex(1);
        QCOMPARE(config.readText("System", "recognizeMethod"), std::string("1"));
        child<QPushButton>(dlg.get(), "recognizeButton")->click();
        QCOMPARE(box(dlg.get(), "name"), QStringLiteral("王五"));
    }

    void placesComeFromTheDatabasesRegionTables()
    {
        Fixture f;
        {
            DbConnection db;
            QVERIFY(db.open(f.folder.databasePath()));
            QCOMPARE(db.execute("insert into area(areaID, area, father) values(?, ?, ?)",
                                {std::int64_t(610199), "浐灞生态区", "610100"}),
                     1);
        }
        auto dlg = f.open();
        child<QPlainTextEdit>(dlg.get(), "input")
            ->setPlainText(QStringLiteral("赵六 13912345678 浐灞生态区欧亚大道1号"));
        child<QPushButton>(dlg.get(), "recognizeButton")->click();
        QCOMPARE(box(dlg.get(), "district"), QStringLiteral("浐灞生态区"));
        QCOMPARE(box(dlg.get(), "city"), QStringLiteral("西安市"));
        QCOMPARE(box(dlg.get(), "province"), QStringLiteral("陕西省"));
    }

    void savingTwiceUpdatesTheEntry()
    {
        Fixture f;
        auto dlg = f.open();
        child<QPushButton>(dlg.get(), "saveReceiverButton")->click();
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("请输入姓名!"));
        QCOMPARE(f.count("receiver"), 0);

        child<QPushButton>(dlg.get(), "exampleButton")->click();
        child<QPushButton>(dlg.get(), "saveReceiverButton")->click();
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("该用户已保存至收件人"));
        child<QLineEdit>(dlg.get(), "name")->setText(QStringLiteral("张三丰"));
        child<QPushButton>(dlg.get(), "saveReceiverButton")->click();
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("该用户已更新至收件人"));
        QCOMPARE(f.count("receiver"), 1);

        child<QPushButton>(dlg.get(), "saveSenderButton")->click();
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("该用户已保存至发件人"));
        child<QPushButton>(dlg.get(), "saveSenderButton")->click();
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("该用户已更新至发件人"));
        QCOMPARE(f.count("sender"), 1);
        DbConnection db;
        QVERIFY(db.open(f.folder.databasePath()));
        // What is saved is what the boxes show, corrections included.
        QCOMPARE(QString::fromStdString(db.query("select rname from receiver")[0].text("rname")),
                 QStringLiteral("张三丰"));
    }

    void theKeysWorkFromEveryBoxAndEnterIsSwallowed()
    {
        Fixture f;
        auto dlg = f.open();
        showActive(dlg.get());
        auto *input = child<QPlainTextEdit>(dlg.get(), "input");
        input->setFocus();
        QTest::keyClick(input, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(box(dlg.get(), "name"), QStringLiteral("张三"));
        QTest::keyClick(input, Qt::Key_U, Qt::ControlModifier);
        QVERIFY(f.dialogs.asked.empty());

        auto *name = child<QLineEdit>(dlg.get(), "name");
        name->setFocus();
        QTest::keyClick(name, Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("该用户已保存至收件人"));
        QTest::keyClick(name, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("该用户已保存至发件人"));

        input->clear();
        QTest::keyClick(name, Qt::Key_U, Qt::ControlModifier);
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("请输入需要识别的内容"));

        const std::size_t asked = f.dialogs.asked.size();
        for (QWidget *w : {static_cast<QWidget *>(name),
                           static_cast<QWidget *>(child<QPushButton>(dlg.get(), "saveReceiverButton"))}) {
            w->setFocus();
            QTest::keyClick(w, Qt::Key_Return);
            QTest::keyClick(w, Qt::Key_Enter, Qt::KeypadModifier);
        }
        QVERIFY(dlg->isVisible());
        QCOMPARE(f.dialogs.asked.size(), asked);

        QTest::keyClick(name, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!dlg->isVisible());
    }

    void theCommandOpensTheDialogBehindItsFlag()
    {
        Fixture f;
        AppState state;
        state.allowAll();
        RecordingShell shell;
        CMainFrame frame(state, f.dialogs, shell, f.folder);
        installRecognitionCommands(frame, f.folder, f.dialogs);
        QCOMPARE(frame.action(cmd::RecognizeAddress)->shortcut(), QKeySequence(QStringLiteral("Ctrl+M")));

        QString opened;
        QTimer::singleShot(0, [&opened] {
            if (auto *dlg = qobject_cast<CAddressRecoginize *>(QApplication::activeModalWidget())) {
                opened = dlg->windowTitle();
                dlg->reject();
            }
        });
        QVERIFY(frame.runCommand(cmd::RecognizeAddress));
        QCOMPARE(opened, QStringLiteral("收货信息识别"));

        state.permissions[15] = 0;
        QVERIFY(!frame.runCommand(cmd::RecognizeAddress));
        QCOMPARE(f.dialogs.lastText(), QString::fromUtf8(kNoPermissionText));
    }
};

QTEST_MAIN(CAddressRecoginizeTest)
#include "CAddressRecoginize_test.moc"
