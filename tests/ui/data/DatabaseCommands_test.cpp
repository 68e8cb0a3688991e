#include "core/config/AppState.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "support/TempDir.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/MainCommands.h"
#include "ui/app/ShellServices.h"
#include "ui/common/Dialogs.h"
#include "ui/data/DatabaseCommands.h"

#include <QStandardPaths>
#include <QtTest>

using namespace zentra::ui;
using Answer = Dialogs::Answer;

namespace {

struct Fixture {
    zentra::test::TempDir dir;
    zentra::DataFolder folder{dir.file("shop")};
    zentra::AppState state;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    std::unique_ptr<CMainFrame> frame;

    Fixture()
    {
        zentra::initDataFolder(folder);
        state.allowAll();
        frame = std::make_unique<CMainFrame>(state, dialogs, shell, folder);
        installDatabaseCommands(*frame, folder, dialogs);
    }
    void addReceiver(const std::string &name)
    {
        zentra::DbConnection db;
        QVERIFY(db.open(folder.databasePath()));
        QCOMPARE(db.execute("insert into receiver(rname) values(?)", {name}), 1);
    }
    int receivers()
    {
        zentra::DbConnection db;
        return db.open(folder.databasePath()) ? int(db.query("select rID from receiver").size()) : -1;
    }
};

}

class DatabaseCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void backupAsksFirstAndCancelDoesNothing()
    {
        Fixture f;
        f.dialogs.answers = {Answer::Cancel};
        QVERIFY(f.frame->runCommand(cmd::BackupDatabase));
        QCOMPARE(f.dialogs.asked.size(), std::size_t(1));
        QCOMPARE(f.dialogs.asked[0].text, QStringLiteral("确定要备份数据库?"));
        QCOMPARE(f.dialogs.asked[0].buttons, Dialogs::Buttons::OkCancel);
        QVERIFY(!zentra::fileExists(f.folder.backupPath()));

        f.dialogs.answers = {Answer::Ok};
        f.frame->runCommand(cmd::BackupDatabase);
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("数据库备份成功!"));
        QVERIFY(zentra::fileExists(f.folder.backupPath()));
    }

    void restoreBringsTheBackupBack()
    {
        Fixture f;
        f.addReceiver("a");
        f.frame->runCommand(cmd::BackupDatabase);
        f.addReceiver("b");
        f.dialogs.asked.clear();
        f.frame->runCommand(cmd::RestoreDatabase);
        QCOMPARE(f.dialogs.asked.at(0).text, QStringLiteral("还原数据库将覆盖原来的数据库，确定要还原?"));
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("数据库还原成功!"));
        QCOMPARE(f.receivers(), 1);
    }

    void compactAsksNothingAndShowsTheEngineMessageOnFailure()
    {
        Fixture f;
        f.frame->runCommand(cmd::CompactDatabase);
        QCOMPARE(f.dialogs.asked.size(), std::size_t(1));
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("数据库压缩和修复成功!"));

        zentra::test::spit(f.folder.compactTargetPath(), "left over");
        f.frame->runCommand(cmd::CompactDatabase);
        QVERIFY(!f.dialogs.lastText().isEmpty());
        QVERIFY(f.dialogs.lastText() != QStringLiteral("数据库压缩和修复成功!"));
        QCOMPARE(zentra::test::slurp(f.folder.compactTargetPath()), std::string("left over"));
        QCOMPARE(f.dialogs.asked.back().caption, QString());
    }

    void eachCommandIsGuardedByItsFlag_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("flag");
        QTest::newRow("backup") << cmd::BackupDatabase << 19;
        QTest::newRow("restore") << cmd::RestoreDatabase << 20;
        QTest::newRow("compact") << cmd::CompactDatabase << 21;
    }

    void eachCommandIsGuardedByItsFlag()
    {
        QFETCH(int, command);
        QFETCH(int, flag);
        Fixture f;
        f.state.permissions[std::size_t(flag)] = 0;
        f.frame->runCommand(command);
        QCOMPARE(f.dialogs.asked.size(), std::size_t(1));
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("您没有权限使用该功能，请与管理员联系！"));
        QVERIFY(!zentra::fileExists(f.folder.backupPath()));
    }
};

QTEST_MAIN(DatabaseCommandsTest)
#include "DatabaseCommands_test.moc"
