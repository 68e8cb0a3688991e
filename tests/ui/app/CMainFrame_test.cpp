#include "core/Version.h"
#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "support/PopupMenu.h"
#include "support/TempDir.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/CPrintTemplate.h"
#include "ui/app/LockKeys.h"
#include "ui/app/MainCommands.h"
#include "ui/app/ShellServices.h"
#include "ui/common/Dialogs.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace zentra::ui;
using Answer = Dialogs::Answer;

namespace {

const QString kNoPermission = QStringLiteral("您没有权限使用该功能，请与管理员联系！");
const QString kExitQuestion = QStringLiteral("你确定要退出本系统吗?");

// A main window over a temporary data folder, with scripted dialogs and a
// shell that only records.
struct Fixture {
    zentra::test::TempDir dir;
    zentra::DataFolder folder{dir.path()};
    zentra::AppState state;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    std::unique_ptr<CMainFrame> frame;

    explicit Fixture(bool allowAll = true)
    {
        folder.ensureLayout();
        if (allowAll)
            state.allowAll();
    }
    CMainFrame &make()
    {
        frame = std::make_unique<CMainFrame>(state, dialogs, shell, folder);
        return *frame;
    }
    CMainFrame &shown()
    {
        make();
        frame->show();
        frame->activateWindow();
        if (!QTest::qWaitForWindowActive(frame.get()))
            qWarning("main window did not become active");
        return *frame;
    }
};

QAction *menuAction(CMainFrame &frame, const QString &text)
{
    for (QAction *top : frame.menuBar()->actions())
        if (QMenu *menu = top->menu())
            for (QAction *a : menu->actions())
                if (a->text() == text)
                    return a;
    return nullptr;
}

QWidget *paneOf(CMainFrame &frame, const char *name)
{
    return frame.findChild<QWidget *>(QString::fromLatin1(name));
}

}

class CMainFrameTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void singlePrintGateCoversEveryEntryPoint_data();
    void singlePrintGateCoversEveryEntryPoint();
    void commandKeysReachTheGateFromEditBoxes_data();
    void commandKeysReachTheGateFromEditBoxes();
    void lockIndicatorsFollowKeyEvents_data();
    void lockIndicatorsFollowKeyEvents();
    void everyGuardedCommandChecksItsFlag();
    void exitAsksOnce_data();
    void exitAsksOnce();
    void exitAsksToSaveTheTemplateInDesignFirst_data();
    void exitAsksToSaveTheTemplateInDesignFirst();
    void newWaybillClearsPanelsInOrder_data();
    void newWaybillClearsPanelsInOrder();
    void designModeToggle_data();
    void designModeToggle();
    void resizingKeepsFixedPanes_data();
    void resizingKeepsFixedPanes();
    void onlineUpgradeWritesExactVersionAndCloses();
    void onlineUpgradeOfAPackagedInstallStartsNothing();
    void helpOpensFirstExistingFile_data();
    void helpOpensFirstExistingFile();
    void calculatorIsFirstInstalled_data();
    void calculatorIsFirstInstalled();
    void webPagesFollowConfiguration();
    void aboutBoxShowsVersionAndOpensLinks();
    void splittersSaveLayoutOnDestroy();
    void canvasCanBePluggedIn();
    void unbuiltDialogsStayDisabledUntilRegistered();
};

void CMainFrameTest::singlePrintGateCoversEveryEntryPoint_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("allowed");
    for (const char *entry : {"menu", "toolbar", "key", "contextMenu"}) {
        QTest::addRow("%s refused", entry) << QString::fromLatin1(entry) << false;
        QTest::addRow("%s allowed", entry) << QString::fromLatin1(entry) << true;
    }
}

void CMainFrameTest::singlePrintGateCoversEveryEntryPoint()
{
    QFETCH(QString, entry);
    QFETCH(bool, allowed);
    Fixture f;
    f.state.permissions[5] = allowed ? 1 : 0;
    CMainFrame &frame = f.shown();
    int printed = 0;
    frame.hooks().printCanvas = [&] { ++printed; };

    if (entry == QLatin1String("menu")) {
        QAction *a = menuAction(frame, QStringLiteral("单张打印(&P)"));
        QVERIFY(a);
        a->trigger();
    } else if (entry == QLatin1String("toolbar")) {
        auto *button = frame.findChild<QToolButton *>(QStringLiteral("toolButton%1").arg(cmd::SinglePrint));
        QVERIFY(button);
        QCOMPARE(button->text(), QStringLiteral("单张打印"));
        QTest::mouseClick(button, Qt::LeftButton);
    } else if (entry == QLatin1String("key")) {
        QWidget *canvas = paneOf(frame, "canvasPlaceholder");
        canvas->setFocusPolicy(Qt::StrongFocus);
        canvas->setFocus();
        QTest::keyClick(canvas, Qt::Key_P, Qt::ControlModifier);
    } else {
        // The real popup of the canvas placeholder: pick its print entry.
        QWidget *canvas = paneOf(frame, "canvasPlaceholder");
        QStringList entries;
        zentra::test::pickPopupEntry(3, entries);
        emit canvas->customContextMenuRequested(QPoint(20, 20));
        QCOMPARE(entries,
                 (QStringList{QStringLiteral("新快递单(&N)"), QStringLiteral("模板默认文本(&D)"), QString(),
                              QStringLiteral("打印本快递单(&P)\tCtrl+P"), QStringLiteral("添加到打印列表(&L)")}));
    }

    QCOMPARE(printed, allowed ? 1 : 0);
    QCOMPARE(f.state.canvasPrintJob, allowed ? 1 : 0);
    if (allowed) {
        QVERIFY(f.dialogs.asked.empty());
    } else {
        QCOMPARE(f.dialogs.asked.size(), std::size_t(1));
        QCOMPARE(f.dialogs.lastText(), kNoPermission);
        QCOMPARE(f.dialogs.asked.back().icon, Dialogs::Icon::Warning);
        QCOMPARE(f.dialogs.asked.back().buttons, Dialogs::Buttons::Ok);
    }
}

void CMainFrameTest::commandKeysReachTheGateFromEditBoxes_data()
{
    QTest::addColumn<QString>("editor");
    QTest::newRow("canvas text item") << QStringLiteral("plainText");
    QTest::newRow("panel line edit") << QStringLiteral("line");
}

void CMainFrameTest::commandKeysReachTheGateFromEditBoxes()
{
    QFETCH(QString, editor);
    Fixture f;
    CMainFrame &frame = f.shown();
    QWidget *edit = nullptr;
    if (editor == QLatin1String("plainText")) {
        edit = new QPlainTextEdit;
        frame.setCanvas(edit);
    } else {
        edit = new QLineEdit;
        frame.printTemplate()->setPage(CPrintTemplate::TemplateChooser, edit);
    }
    QStringList ran;
    for (const MainCommand &c : mainCommands())
        if (c.keys)
            frame.setCommandHandler(c.id, [&ran, &c] { ran << QString::fromLatin1(c.keys); });
    f.state.permissions.fill(1);

    // Every command key but an editing key of the box (Ctrl+Y, the
    // post-code page) runs its command.
    for (const MainCommand &c : mainCommands()) {
        if (!c.keys)
            continue;
        ran.clear();
        edit->setFocus();
        QTest::keySequence(edit, QKeySequence(QString::fromLatin1(c.keys)));
        const bool editingKey = QString::fromLatin1(c.keys) == QLatin1String("Ctrl+Y");
        QCOMPARE(ran.join(QLatin1Char(',')), editingKey ? QString() : QString::fromLatin1(c.keys));
    }

    // Refused commands are refused from the edit box too.
    f.state.permissions.fill(0);
    edit->setFocus();
    QTest::keySequence(edit, QKeySequence(QStringLiteral("Ctrl+P")));
    QCOMPARE(f.dialogs.lastText(), kNoPermission);

    // Typing and the box's own keys stay with the box: Ctrl+A selects, Ctrl+Z
    // and Ctrl+Y undo and redo, Home, Delete and Backspace edit.
    ran.clear();
    const char *property = editor == QLatin1String("line") ? "text" : "plainText";
    auto text = [&] { return edit->property(property).toString(); };
    QTest::keyClicks(edit, QStringLiteral("ab"));
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, QStringLiteral("c"));
    QCOMPARE(text(), QStringLiteral("c"));
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(text() != QStringLiteral("c"));
    QTest::keyClick(edit, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(text(), QStringLiteral("c"));
    QTest::keyClicks(edit, QStringLiteral("de"));
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(text(), QStringLiteral("d"));
    QVERIFY(ran.isEmpty());

    // Outside a text box Ctrl+Y is the window's again.
    auto *button = new QPushButton(QStringLiteral("x"));
    frame.printTemplate()->setPage(CPrintTemplate::Receiver, button);
    frame.printTemplate()->tabs()->setCurrentIndex(CPrintTemplate::Receiver);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(ran, QStringList{QStringLiteral("Ctrl+Y")});
}

void CMainFrameTest::lockIndicatorsFollowKeyEvents_data()
{
    // Each event: press (1) or release (0), key, X11 state before it.
    QTest::addColumn<QList<QList<int>>>("events");
    QTest::addColumn<QList<bool>>("expected"); // caps, num, scroll
    constexpr int Lock = LockKeys::kLockMask;
    constexpr int Mod2 = LockKeys::kMod2Mask;
    QTest::newRow("plain key with locks on")
        << QList<QList<int>>{{1, Qt::Key_A, Lock | Mod2}} << QList<bool>{true, true, false};
    QTest::newRow("caps lock switched on")
        << QList<QList<int>>{{1, Qt::Key_CapsLock, 0}, {0, Qt::Key_CapsLock, Lock}} << QList<bool>{true, false, false};
    // The keyboard unlocks on the release, whose event still has the lock on.
    QTest::newRow("caps lock switched off")
        << QList<QList<int>>{{1, Qt::Key_A, Lock}, {1, Qt::Key_CapsLock, Lock}, {0, Qt::Key_CapsLock, Lock}}
        << QList<bool>{false, false, false};
    QTest::newRow("num lock switched off") << QList<QList<int>>{{1, Qt::Key_NumLock, Mod2}, {0, Qt::Key_NumLock, Mod2}}
                                           << QList<bool>{false, false, false};
    QTest::newRow("scroll lock on, off, on") << QList<QList<int>>{{1, Qt::Key_ScrollLock, 0},
                                                                  {0, Qt::Key_ScrollLock, 0},
                                                                  {1, Qt::Key_ScrollLock, 0},
                                                                  {1, Qt::Key_ScrollLock, 0}}
                                             << QList<bool>{false, false, true};
}

void CMainFrameTest::lockIndicatorsFollowKeyEvents()
{
    QFETCH(QList<QList<int>>, events);
    QFETCH(QList<bool>, expected);
    LockKeys locks;
    for (const QList<int> &e : events)
        locks.update(e[0] == 1, e[1], quint32(e[2]), false);
    QCOMPARE((QList<bool>{locks.caps, locks.num, locks.scroll}), expected);
}

void CMainFrameTest::everyGuardedCommandChecksItsFlag()
{
    int guarded = 0;
    for (const MainCommand &c : mainCommands()) {
        if (c.permission < 0)
            continue;
        ++guarded;
        for (bool allowed : {false, true}) {
            Fixture f;
            f.state.permissions[std::size_t(c.permission)] = allowed ? 1 : 0;
            CMainFrame &frame = f.make();
            int ran = 0;
            frame.setCommandHandler(c.id, [&] { ++ran; });
            frame.action(c.id)->trigger();
            QVERIFY2(ran == (allowed ? 1 : 0), c.caption);
            QVERIFY2(f.dialogs.lastText() == (allowed ? QString() : kNoPermission), c.caption);
        }
    }
    QCOMPARE(guarded, 21); // flags 4 to 25; 12 guards the template chooser
}

void CMainFrameTest::exitAsksOnce_data()
{
    QTest::addColumn<bool>("viaCommand");
    QTest::addColumn<bool>("skipConfirm");
    QTest::addColumn<QList<int>>("answers"); // 0 = OK, 1 = Cancel
    QTest::addColumn<bool>("closed");
    QTest::addColumn<int>("questions");
    QTest::newRow("exit, Cancel") << true << false << QList<int>{1} << false << 1;
    QTest::newRow("exit, OK") << true << false << QList<int>{0} << true << 1;
    QTest::newRow("close box, Cancel") << false << false << QList<int>{1} << false << 1;
    QTest::newRow("close box, OK") << false << false << QList<int>{0} << true << 1;
    QTest::newRow("close box, confirmation skipped") << false << true << QList<int>{} << true << 0;
}

void CMainFrameTest::exitAsksOnce()
{
    QFETCH(bool, viaCommand);
    QFETCH(bool, skipConfirm);
    QFETCH(QList<int>, answers);
    QFETCH(bool, closed);
    QFETCH(int, questions);
    Fixture f;
    f.state.skipExitConfirm = skipConfirm;
    for (int a : answers)
        f.dialogs.answers.push_back(a == 0 ? Answer::Ok : Answer::Cancel);
    CMainFrame &frame = f.shown();
    if (viaCommand)
        frame.action(cmd::Exit)->trigger();
    else
        frame.close();
    QCOMPARE(frame.isVisible(), !closed);
    QCOMPARE(int(f.dialogs.asked.size()), questions);
    for (const auto &q : f.dialogs.asked) {
        QCOMPARE(q.text, kExitQuestion);
        QCOMPARE(q.buttons, Dialogs::Buttons::OkCancel);
        QCOMPARE(q.icon, Dialogs::Icon::Warning);
    }
}

void CMainFrameTest::exitAsksToSaveTheTemplateInDesignFirst_data()
{
    QTest::addColumn<bool>("viaCommand");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QList<int>>("answers"); // 0 = OK, 1 = Cancel
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<bool>("closed");
    const QString save = QStringLiteral("是否保存当前模板？");
    QTest::newRow("exit, save, exit") << true << true << QList<int>{0, 0} << QStringList{save, kExitQuestion} << true
                                      << true;
    QTest::newRow("exit, save, stay") << true << true << QList<int>{0, 1} << QStringList{save, kExitQuestion} << true
                                      << false;
    QTest::newRow("exit, Cancel: no exit") << true << true << QList<int>{1} << QStringList{save} << false << false;
    QTest::newRow("close box, save, exit")
        << false << true << QList<int>{0, 0} << QStringList{save, kExitQuestion} << true << true;
    QTest::newRow("close box, Cancel: no exit") << false << true << QList<int>{1} << QStringList{save} << false
                                                << false;
    QTest::newRow("nothing changed") << true << false << QList<int>{0} << QStringList{kExitQuestion} << false << true;
}

void CMainFrameTest::exitAsksToSaveTheTemplateInDesignFirst()
{
    QFETCH(bool, viaCommand);
    QFETCH(bool, modified);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, questions);
    QFETCH(bool, saved);
    QFETCH(bool, closed);
    Fixture f;
    f.state.currentTemplateName = "sf";
    CMainFrame &frame = f.shown();
    QStringList written;
    frame.hooks().saveTemplate = [&](const std::string &path) {
        written << QString::fromStdString(path);
        return true;
    };
    frame.action(cmd::EditTemplate)->trigger();
    f.state.templateModified = modified;
    for (int a : answers)
        f.dialogs.answers.push_back(a == 0 ? Answer::Ok : Answer::Cancel);
    if (viaCommand)
        frame.action(cmd::Exit)->trigger();
    else
        frame.close();
    QStringList asked;
    for (const auto &q : f.dialogs.asked)
        asked << q.text;
    QCOMPARE(asked, questions);
    if (modified) {
        QCOMPARE(f.dialogs.asked.front().caption, QStringLiteral("模板保存"));
        QCOMPARE(f.dialogs.asked.front().buttons, Dialogs::Buttons::OkCancel);
    }
    QCOMPARE(written, saved ? QStringList{QString::fromStdString(f.folder.templateDir()) + "sf.ttp"} : QStringList());
    QCOMPARE(frame.isVisible(), !closed);
    QCOMPARE(f.state.templateModified, modified && !saved);
}

void CMainFrameTest::newWaybillClearsPanelsInOrder_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("answer"); // 0 = OK, 1 = Cancel
    QTest::addColumn<QStringList>("calls");
    const QStringList clears{"order", "sender", "receiver", "cargo"};
    QTest::newRow("unchanged: no question") << false << 0 << clears;
    QTest::newRow("changed, OK: added first") << true << 0 << (QStringList{"add"} + clears);
    QTest::newRow("changed, Cancel: not added") << true << 1 << clears;
}

void CMainFrameTest::newWaybillClearsPanelsInOrder()
{
    QFETCH(bool, modified);
    QFETCH(int, answer);
    QFETCH(QStringList, calls);
    Fixture f;
    f.state.waybillModified = modified;
    f.dialogs.answers.push_back(answer == 0 ? Answer::Ok : Answer::Cancel);
    CMainFrame &frame = f.make();
    QStringList seen;
    MainFrameHooks &h = frame.hooks();
    h.addToPrintList = [&] { seen << "add"; };
    h.clearOrderInfo = [&] { seen << "order"; };
    h.clearSender = [&] { seen << "sender"; };
    h.clearReceiver = [&] { seen << "receiver"; };
    h.clearCargo = [&] { seen << "cargo"; };
    frame.action(cmd::NewWaybill)->trigger();
    QCOMPARE(seen, calls);
    QCOMPARE(f.dialogs.asked.size(), std::size_t(modified ? 1 : 0));
    if (modified)
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("是否将当前快递单添加到打印列表?"));
    QVERIFY(!f.state.waybillModified);
}

void CMainFrameTest::designModeToggle_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QString>("templateName");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("savedFile"); // relative to the template folder, empty = nothing saved
    QTest::newRow("unchanged") << false << QStringLiteral("顺丰") << 0 << false << QString();
    QTest::newRow("changed, OK") << true << QStringLiteral("顺丰") << 0 << true << QStringLiteral("顺丰.ttp");
    QTest::newRow("changed, Cancel") << true << QStringLiteral("顺丰") << 1 << true << QString();
    QTest::newRow("changed, no template") << true << QString() << 0 << true << QString();
}

void CMainFrameTest::designModeToggle()
{
    QFETCH(bool, modified);
    QFETCH(QString, templateName);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    QFETCH(QString, savedFile);
    Fixture f;
    f.state.currentTemplateName = templateName.toStdString();
    CMainFrame &frame = f.shown();
    QStringList saved;
    int left = 0;
    frame.hooks().saveTemplate = [&](const std::string &path) {
        saved << QString::fromStdString(path);
        return true;
    };
    frame.hooks().leaveDesignMode = [&] { ++left; };
    QAction *toggle = frame.action(cmd::EditTemplate);
    QWidget *design = paneOf(frame, "designPlaceholder");
    QVERIFY(!design->isVisible());

    toggle->trigger();
    QCOMPARE(f.state.designMode, 1);
    QVERIFY(toggle->isChecked());
    QVERIFY(design->isVisible());
    QCOMPARE(left, 0);

    f.state.templateModified = modified;
    f.dialogs.answers.push_back(answer == 0 ? Answer::Ok : Answer::Cancel);
    toggle->trigger();
    QCOMPARE(f.state.designMode, 0);
    QVERIFY(!toggle->isChecked());
    QVERIFY(!design->isVisible());
    QVERIFY(!f.state.templateModified);
    QCOMPARE(left, 1);
    QCOMPARE(f.dialogs.asked.size(), std::size_t(asked ? 1 : 0));
    if (asked)
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("是否保存当前模板?"));
    const QStringList expected =
        savedFile.isEmpty() ? QStringList() : QStringList{QString::fromStdString(f.folder.templateDir()) + savedFile};
    QCOMPARE(saved, expected);
}

void CMainFrameTest::resizingKeepsFixedPanes_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("initial") << QSize(1300, 720);
    QTest::newRow("smaller") << QSize(900, 600);
    QTest::newRow("larger") << QSize(1600, 1000);
}

void CMainFrameTest::resizingKeepsFixedPanes()
{
    QFETCH(QSize, size);
    Fixture f;
    CMainFrame &frame = f.shown();
    QCOMPARE(frame.size(), QSize(1300, 720));
    frame.action(cmd::EditTemplate)->trigger();
    frame.resize(size);
    QApplication::processEvents();
    QWidget *canvas = paneOf(frame, "canvasPlaceholder");
    QCOMPARE(frame.printTemplate()->width(), CMainFrame::kTabPanelWidth);
    QCOMPARE(paneOf(frame, "designPlaceholder")->height(), CMainFrame::kDesignPanelHeight);
    QVERIFY(canvas->width() > 300);
    QVERIFY(canvas->height() > 100);
    // The tab control leaves 10 pixels free at the right and the bottom of its pane.
    const QWidget *tabs = frame.printTemplate()->tabs();
    QCOMPARE(frame.printTemplate()->width() - tabs->geometry().right() - 1, CPrintTemplate::kFreeRightBottom);
    QCOMPARE(frame.printTemplate()->height() - tabs->geometry().bottom() - 1, CPrintTemplate::kFreeRightBottom);

    // Leaving the design mode gives the design panel's height back to the canvas.
    const int canvasHeight = canvas->height();
    frame.action(cmd::EditTemplate)->trigger();
    QApplication::processEvents();
    QVERIFY(canvas->height() >= canvasHeight + CMainFrame::kDesignPanelHeight);
}

void CMainFrameTest::onlineUpgradeWritesExactVersionAndCloses()
{
    Fixture f;
    zentra::test::spit(f.folder.versionPath(), "9.9.9.9 and an older, longer text\r\n");
    CMainFrame &frame = f.shown();
    frame.action(cmd::OnlineUpgrade)->trigger();
    QCOMPARE(QString::fromStdString(zentra::test::slurp(f.folder.versionPath())),
             QString::fromLatin1(zentra::kVersion));
    QVERIFY(f.state.skipExitConfirm);
    QCOMPARE(f.shell.started, QStringList{QCoreApplication::applicationDirPath() + "/zentra-update"});
    QVERIFY(!frame.isVisible());
    QVERIFY(f.dialogs.asked.empty());
}

void CMainFrameTest::onlineUpgradeOfAPackagedInstallStartsNothing()
{
    // A dpkg database of our own whose package lists this program folder's
    // updater, as /var/lib/dpkg lists /usr/bin/zentra-update.
    zentra::test::TempDir admin;
    QDir(QString::fromStdString(admin.path())).mkdir(QStringLiteral("info"));
    zentra::test::spit(admin.file("info/zentra.list"),
                       "/.\n" + (QCoreApplication::applicationDirPath() + "/zentra-update\n").toStdString());
    const QByteArray saved = qgetenv("DPKG_ADMINDIR");
    qputenv("DPKG_ADMINDIR", QByteArray::fromStdString(admin.path()));

    Fixture f;
    zentra::test::spit(f.folder.versionPath(), "0.0.0.9");
    CMainFrame &frame = f.shown();
    frame.action(cmd::OnlineUpgrade)->trigger();
    if (saved.isNull())
        qunsetenv("DPKG_ADMINDIR");
    else
        qputenv("DPKG_ADMINDIR", saved);

    QCOMPARE(f.dialogs.asked.size(), std::size_t(1));
    QCOMPARE(f.dialogs.lastText(), QStringLiteral("请使用系统的软件包管理器升级本软件"));
    QCOMPARE(f.shell.started, QStringList());
    QCOMPARE(QString::fromStdString(zentra::test::slurp(f.folder.versionPath())), QStringLiteral("0.0.0.9"));
    QVERIFY(!f.state.skipExitConfirm);
    QVERIFY(frame.isVisible());

    // The same folder outside the package manager updates itself again.
    frame.action(cmd::OnlineUpgrade)->trigger();
    QCOMPARE(f.shell.started, QStringList{QCoreApplication::applicationDirPath() + "/zentra-update"});
}

void CMainFrameTest::helpOpensFirstExistingFile_data()
{
    QTest::addColumn<bool>("inDataFolder");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("opened"); // "data", "share" or empty
    QTest::newRow("both") << true << true << "data";
    QTest::newRow("installed only") << false << true << "share";
    QTest::newRow("none") << false << false << QString();
}

void CMainFrameTest::helpOpensFirstExistingFile()
{
    QFETCH(bool, inDataFolder);
    QFETCH(bool, installed);
    QFETCH(QString, opened);
    Fixture f;
    const QString data = QString::fromStdString(f.folder.path("help/index.html"));
    const QString share = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/zentra/help/index.html");
    if (inDataFolder)
        f.shell.files << data;
    if (installed)
        f.shell.files << share;
    CMainFrame &frame = f.make();
    frame.action(cmd::Help)->trigger();
    QList<QUrl> expected;
    if (!opened.isEmpty())
        expected << QUrl::fromLocalFile(opened == "data" ? data : share);
    QCOMPARE(f.shell.opened, expected);
    QVERIFY(f.dialogs.asked.empty());
}

void CMainFrameTest::calculatorIsFirstInstalled_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QStringList>("started");
    QTest::newRow("several") << QStringList{"xcalc", "kcalc"} << QStringList{"/usr/bin/kcalc"};
    QTest::newRow("gnome first") << QStringList{"galculator", "gnome-calculator"}
                                 << QStringList{"/usr/bin/gnome-calculator"};
    QTest::newRow("none") << QStringList{} << QStringList{};
}

void CMainFrameTest::calculatorIsFirstInstalled()
{
    QFETCH(QStringList, installed);
    QFETCH(QStringList, started);
    Fixture f;
    f.shell.installed = installed;
    f.make().action(cmd::Calculator)->trigger();
    QCOMPARE(f.shell.started, started);
}

void CMainFrameTest::webPagesFollowConfiguration()
{
    Fixture f;
    zentra::ConfigFile(f.folder.configPath()).writeText("Links", "postcodeQuery", "https://post.example.cn/find/");
    CMainFrame &frame = f.make();
    frame.action(cmd::ExpressQuery)->trigger();
    frame.action(cmd::PostcodeQuery)->trigger();
    QCOMPARE(f.shell.opened,
             (QList<QUrl>{WebLinks::defaults().expressQuery, QUrl(QStringLiteral("https://post.example.cn/find/"))}));
}

void CMainFrameTest::aboutBoxShowsVersionAndOpensLinks()
{
    Fixture f;
    zentra::ConfigFile(f.folder.configPath()).writeText("Links", "shopPage", "https://shop.example.cn/");
    CMainFrame &frame = f.shown();
    QString title;
    QStringList lines;
    QTimer::singleShot(0, [&] {
        auto *dlg = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dlg)
            return;
        title = dlg->windowTitle();
        for (QLabel *label : dlg->findChildren<QLabel *>())
            if (!label->text().isEmpty())
                lines << label->text();
        emit dlg->findChild<QLabel *>("homePageLink")->linkActivated(QString());
        emit dlg->findChild<QLabel *>("shopPageLink")->linkActivated(QString());
        dlg->findChild<QPushButton *>("okButton")->click();
    });
    frame.action(cmd::About)->trigger();
    QCOMPARE(title, QStringLiteral("关于"));
    QVERIFY(lines.size() >= 4);
    QCOMPARE(lines[0], QStringLiteral("软件名称：Zentra"));
    QCOMPARE(lines[1], QStringLiteral("软件版本：V") + zentra::kVersion);
    QCOMPARE(f.shell.opened, (QList<QUrl>{WebLinks::defaults().homePage, QUrl("https://shop.example.cn/")}));
}

void CMainFrameTest::splittersSaveLayoutOnDestroy()
{
    QSettings().remove(QStringLiteral("SplitterWnd"));
    {
        Fixture f;
        f.shown();
        QApplication::processEvents();
        const int canvasWidth = paneOf(*f.frame, "canvasPlaceholder")->width();
        const int canvasHeight = paneOf(*f.frame, "canvasPlaceholder")->height();
        f.frame.reset();
        QSettings settings;
        QCOMPARE(settings.value("SplitterWnd/Panes_0").toString(), QStringLiteral("-1 %1 -1 400").arg(canvasWidth));
        // The design panel is hidden: row 1, with the sizes it had before hiding.
        const QStringList nested = settings.value("SplitterWnd/Panes_1").toString().split(' ');
        QCOMPARE(nested.size(), 4);
        QCOMPARE(nested[0], QStringLiteral("-1"));
        QCOMPARE(nested[2], QStringLiteral("1"));
        QVERIFY(nested[1].toInt() > 0);
        Q_UNUSED(canvasHeight);
    }
}

void CMainFrameTest::canvasCanBePluggedIn()
{
    Fixture f;
    CMainFrame &frame = f.shown();
    QPointer<QWidget> placeholder = paneOf(frame, "canvasPlaceholder");
    auto *canvas = new QWidget;
    canvas->setObjectName("realCanvas");
    frame.setCanvas(canvas);
    QVERIFY(placeholder.isNull());
    QCOMPARE(frame.canvas(), canvas);
    QVERIFY(canvas->isVisible());

    // The context entries stay the window's own actions (one gate for all).
    const QList<QAction *> entries = frame.contextMenuActions();
    QCOMPARE(entries.size(), 5);
    QCOMPARE(entries[0], frame.action(cmd::NewWaybill));
    QCOMPARE(entries[1], frame.action(cmd::TemplateDefaultText));
    QVERIFY(entries[2]->isSeparator());
    QCOMPARE(entries[3]->data().toInt(), cmd::SinglePrint);
    QCOMPARE(entries[4], frame.action(cmd::AddToPrintList));

    QTabWidget *tabs = frame.printTemplate()->tabs();
    QCOMPARE(tabs->currentIndex(), 0);
    QStringList captions;
    for (int i = 0; i < tabs->count(); ++i)
        captions << tabs->tabText(i);
    QCOMPARE(captions, (QStringList{"选择模板", "收件人", "发件人", "发货物品", "订单信息"}));
}

void CMainFrameTest::unbuiltDialogsStayDisabledUntilRegistered()
{
    Fixture f;
    CMainFrame &frame = f.make();
    QAction *batch = frame.action(cmd::BatchPrint);
    QVERIFY(!batch->isEnabled());
    QVERIFY(frame.action(cmd::NewWaybill)->isEnabled());
    int opened = 0;
    frame.setCommandHandler(cmd::BatchPrint, [&] { ++opened; });
    QVERIFY(batch->isEnabled());
    batch->trigger();
    QCOMPARE(opened, 1);
    QCOMPARE(frame.windowTitle(), QStringLiteral("ZentraV") + zentra::kVersion);
}

QTEST_MAIN(CMainFrameTest)
#include "CMainFrame_test.moc"
