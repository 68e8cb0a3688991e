#include "core/update/Md5.h"
#include "support/TempDir.h"
#include "updater/CNorvane_UpdateDlg.h"
#include "support/LocalHttpServer.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QtTest>

#include <sys/stat.h>

using namespace zentra;
using namespace zentra::updater;

namespace {

// Answers questions from a list and records what was asked and told.
class ScriptedPrompts : public UpdatePrompts {
public:
    QList<bool> answers;
    QStringList asked, told;
    bool ask(const QString &text) override
    {
        asked << text;
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    void tell(const QString &text) override { told << text; }
};

QStringList listed(QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

}

class CNorvane_UpdateDlgTest : public QObject {
    Q_OBJECT

    test::TempDir dir_;
    std::string home_ = dir_.file("home"), program_ = dir_.file("program");
    test::LocalHttpServer server_;

    UpdateSetup setup()
    {
        UpdateSetup s;
        s.home = DataFolder(home_);
        s.programDir = program_;
        s.base = QUrl(QString::fromStdString(server_.origin() + "/update/"));
        s.timeoutMs = 2000;
        s.restart = false;
        return s;
    }

private slots:
    void initTestCase()
    {
        ::mkdir(home_.c_str(), 0700);
        ::mkdir(program_.c_str(), 0755);
        test::spit(home_ + "/Version.txt", "1.0.0.0");
        server_.serve("/update/Version.txt", "1.0.0.1");
        server_.serve("/update/FileList.txt", md5Hex("new") + "|lib\\deep\\x.so\r\n");
        server_.serve("/update/lib/deep/x.so", "new");
    }

    void cancelLeavesEverythingAsItWas()
    {
        ScriptedPrompts prompts;
        prompts.answers = {false};
        CNorvane_UpdateDlg dlg(setup(), &prompts);
        dlg.show();
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.isVisible(), 10000);
        QCOMPARE(dlg.outcome(), UpdateManager::Outcome::Cancelled);
        QCOMPARE(prompts.asked, QStringList{QStringLiteral("软件有新版本，是否升级到最新？")});
        QVERIFY(prompts.told.isEmpty());
        QCOMPARE(listed(dlg.findChild<QListWidget *>("messages")),
                 (QStringList{"Zentra在线更新系统...", "正在获取最新版本信息...", "获取最新版本信息成功！",
                              "当前版本需要在线升级!"}));
        QCOMPARE(server_.requests().size(), std::size_t(1));
        QVERIFY(!QFile::exists(QString::fromStdString(program_ + "/lib/deep/x.so")));
    }

    void anUpdateShowsEachFileAndFillsTheBars()
    {
        ScriptedPrompts prompts;
        CNorvane_UpdateDlg dlg(setup(), &prompts);
        dlg.show();
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.isVisible(), 10000);
        QCOMPARE(dlg.outcome(), UpdateManager::Outcome::Updated);
        QCOMPARE(prompts.told, QStringList{QStringLiteral("你已将软件升级为最新版本!")});
        QCOMPARE(listed(dlg.findChild<QListWidget *>("messages")).mid(4),
                 (QStringList{"获取要更新的列表文件成功！", "本次更新需要下载1个文件！"}));
        QCOMPARE(dlg.findChild<QLabel *>("status")->text(), QStringLiteral("正在下载：lib/deep/x.so"));
        QCOMPARE(dlg.findChild<QProgressBar *>("currentProgress")->value(), 100);
        QCOMPARE(dlg.findChild<QProgressBar *>("overallProgress")->value(), 100);
        QCOMPARE(test::slurp(program_ + "/lib/deep/x.so"), std::string("new"));
    }

    void aPackagedInstallIsRefusedBeforeAnythingIsFetched()
    {
        test::TempDir admin;
        ::mkdir(admin.file("info").c_str(), 0755);
        test::spit(program_ + "/zentra-update", "program");
        test::spit(admin.file("info/zentra.list"), program_ + "/zentra-update\n");
        qputenv("DPKG_ADMINDIR", QByteArray::fromStdString(admin.path()));
        const std::size_t requests = server_.requests().size();
        ScriptedPrompts prompts;
        CNorvane_UpdateDlg dlg(setup(), &prompts);
        dlg.show();
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.isVisible(), 10000);
        qunsetenv("DPKG_ADMINDIR");
        QCOMPARE(dlg.outcome(), UpdateManager::Outcome::Refused);
        QCOMPARE(prompts.told, QStringList{QStringLiteral("请使用系统的软件包管理器升级本软件")});
        QVERIFY(prompts.asked.isEmpty());
        QCOMPARE(dlg.findChild<QListWidget *>("messages")->count(), 0);
        QCOMPARE(server_.requests().size(), requests);
    }
};

QTEST_MAIN(CNorvane_UpdateDlgTest)
#include "CNorvane_UpdateDlg_test.moc"
