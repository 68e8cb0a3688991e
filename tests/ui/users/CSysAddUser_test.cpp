#include "core/config/AppState.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/users/UserAccounts.h"
#include "core/users/UserLogin.h"
#include "support/TempDir.h"
#include "ui/common/Dialogs.h"
#include "ui/data/CReportCtrl.h"
#include "ui/users/CSysAddUser.h"
#include "ui/users/CSysUserPwd.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace zentra::ui;

namespace {

struct Fixture {
    zentra::test::TempDir dir;
    zentra::DataFolder folder{dir.path()};
    ScriptedDialogs dialogs;
    std::unique_ptr<zentra::UserAccounts> accounts;

    Fixture()
    {
        if (!zentra::initDataFolder(folder))
            qFatal("no data folder");
        accounts = std::make_unique<zentra::UserAccounts>(folder.databasePath());
    }

    bool logsIn(const std::string &name, const std::string &password)
    {
        zentra::AppState state;
        return zentra::UserLogin(folder.databasePath()).login(name, password, "t", state) ==
               zentra::UserLogin::Result::Ok;
    }
};

void type(QWidget &dlg, const char *edit, const QString &text)
{
    auto *e = dlg.findChild<QLineEdit *>(edit);
    e->clear();
    // Key clicks carry Latin-1 only; other text arrives as an input method
    // would commit it.
    bool latin1 = true;
    for (QChar c : text)
        latin1 = latin1 && c.unicode() < 0x80;
    if (latin1)
        QTest::keyClicks(e, text);
    else
        e->insert(text);
}

void click(QWidget &dlg, const char *button)
{
    QTest::mouseClick(dlg.findChild<QPushButton *>(button), Qt::LeftButton);
}

QStringList names(CReportCtrl *grid)
{
    QStringList out;
    for (int row = 0; row < grid->rowCount(); ++row)
        out << grid->cellText(row, 1);
    return out;
}

void doubleClickRow(CReportCtrl *grid, int row)
{
    const QRect cell = grid->visualRect(grid->model()->index(row, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

}

class CSysAddUserTest : public QObject {
    Q_OBJECT

private slots:
    void addsUsersAndSaysWhyNot()
    {
        Fixture f;
        CSysAddUser dlg(*f.accounts, f.dialogs);
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("用户管理"));
        auto *grid = dlg.findChild<CReportCtrl *>("userGrid");
        QCOMPARE(grid->columnTitle(1).trimmed(), QStringLiteral("姓名"));
        QCOMPARE(names(grid), QStringList{"admin"});
        QVERIFY(!grid->checkBoxRect(0).isValid()); // no "选择" column, no check boxes
        QCOMPARE(dlg.findChild<QLineEdit *>("password")->echoMode(), QLineEdit::Password);

        const struct {
            const char *name, *password, *confirm, *message;
        } refused[] = {
            {"", "pw", "pw", "请输入用户名！"},
            {"packer", "pw", "pW", "请输入正确的密码！"},
            {"packer", "", "", "请输入正确的密码！"},
            {"ADMIN", "pw", "pw", "该用户已经存在！"},
            {"admin ", "pw", "pw", "该用户已经存在！"},
            {"\xEF\xBD\x81\xEF\xBD\x84\xEF\xBD\x8D\xEF\xBD\x89\xEF\xBD\x8E", "pw", "pw", "该用户已经存在！"},
            {"ad\xE2\x80\x8Bmin", "pw", "pw", "用户名不能包含控制字符或不可见字符！"},
            {" \xE3\x80\x80 ", "pw", "pw", "请输入用户名！"},
        };
        for (const auto &r : refused) {
            type(dlg, "userName", QString::fromUtf8(r.name));
            type(dlg, "password", QString::fromUtf8(r.password));
            type(dlg, "confirmPassword", QString::fromUtf8(r.confirm));
            click(dlg, "addButton");
            QCOMPARE(f.dialogs.lastText(), QString::fromUtf8(r.message));
        }
        QCOMPARE(names(grid), QStringList{"admin"});

        f.dialogs.asked.clear();
        type(dlg, "userName", QStringLiteral("打包员"));
        type(dlg, "password", QStringLiteral("pw"));
        type(dlg, "confirmPassword", QStringLiteral("pw"));
        click(dlg, "addButton");
        QVERIFY(f.dialogs.asked.empty());
        QCOMPARE(names(grid), (QStringList{"admin", "打包员"}));
        QVERIFY(dlg.findChild<QLineEdit *>("password")->text().isEmpty());
        QVERIFY(!grid->cellText(1, 2).isEmpty()); // its time of creation
        QVERIFY(f.logsIn("打包员", "pw"));
    }

    void aBusyDatabaseIsSaidToBeBusy()
    {
        Fixture f;
        CSysAddUser dlg(*f.accounts, f.dialogs);
        dlg.show();
        // Another connection holds the database past a short busy timeout.
        qputenv("ZENTRA_BUSY_TIMEOUT_MS", "200");
        zentra::DbConnection holder;
        QVERIFY(holder.open(f.folder.databasePath()));
        QVERIFY(holder.executeScript("BEGIN EXCLUSIVE"));
        type(dlg, "userName", QStringLiteral("packer"));
        type(dlg, "password", QStringLiteral("pw"));
        type(dlg, "confirmPassword", QStringLiteral("pw"));
        click(dlg, "addButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("数据库正忙，请稍后再试"));
        QVERIFY(holder.executeScript("ROLLBACK"));
        qunsetenv("ZENTRA_BUSY_TIMEOUT_MS");
        click(dlg, "addButton");
        QCOMPARE(names(dlg.findChild<CReportCtrl *>("userGrid")), (QStringList{"admin", "packer"}));
    }

    void deletesTheSelectedUserButNeverAdmin()
    {
        Fixture f;
        QCOMPARE(f.accounts->addUser("packer", "pw", "pw", "t"), zentra::UserAccounts::Result::Ok);
        CSysAddUser dlg(*f.accounts, f.dialogs);
        dlg.show();
        auto *grid = dlg.findChild<CReportCtrl *>("userGrid");
        click(dlg, "deleteButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("没有选择需要删除的用户"));

        // A double click also copies the name into the edit.
        doubleClickRow(grid, 0);
        QCOMPARE(dlg.findChild<QLineEdit *>("userName")->text(), QStringLiteral("admin"));
        click(dlg, "deleteButton");
        QCOMPARE(f.dialogs.asked.at(f.dialogs.asked.size() - 2).caption, QStringLiteral("用户 - 删除"));
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("该账户不允许删除"));
        QCOMPARE(names(grid), (QStringList{"admin", "packer"}));

        // Cancel at the question keeps the user.
        doubleClickRow(grid, 1);
        f.dialogs.answers = {Dialogs::Answer::Cancel};
        click(dlg, "deleteButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("您确认删除当前选中的用户吗？"));
        QCOMPARE(names(grid), (QStringList{"admin", "packer"}));

        click(dlg, "deleteButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("该用户已删除！"));
        QCOMPARE(names(grid), QStringList{"admin"});
        QVERIFY(!f.logsIn("packer", "pw"));
    }

    void changesAPasswordAfterCheckingTheOldOne()
    {
        Fixture f;
        QCOMPARE(f.accounts->addUser("packer", "old", "old", "t"), zentra::UserAccounts::Result::Ok);
        CSysUserPwd dlg(*f.accounts, f.dialogs);
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("修改密码"));
        auto *name = dlg.findChild<QLineEdit *>("userName");
        QVERIFY(name->isReadOnly());
        // No user chosen: nothing happens.
        click(dlg, "okButton");
        QVERIFY(f.dialogs.asked.empty());

        doubleClickRow(dlg.findChild<CReportCtrl *>("userGrid"), 1);
        QCOMPARE(name->text(), QStringLiteral("packer"));
        const struct {
            const char *old, *fresh, *confirm, *message;
        } steps[] = {
            {"wrong", "new", "new", "请输入正确的原密码"},
            {"old", "new", "neW", "请输入正确的新密码！"},
            {"old", "", "", "请输入正确的新密码！"},
            {"old", "new", "new", "密码修改成功！"},
        };
        for (const auto &s : steps) {
            type(dlg, "oldPassword", QString::fromUtf8(s.old));
            type(dlg, "newPassword", QString::fromUtf8(s.fresh));
            type(dlg, "confirmPassword", QString::fromUtf8(s.confirm));
            click(dlg, "okButton");
            QCOMPARE(f.dialogs.lastText(), QString::fromUtf8(s.message));
        }
        QVERIFY(f.logsIn("packer", "new"));
        QVERIFY(!f.logsIn("packer", "old"));
    }
};

QTEST_MAIN(CSysAddUserTest)
#include "CSysAddUser_test.moc"
