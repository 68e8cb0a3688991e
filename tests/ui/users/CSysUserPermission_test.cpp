#include "core/config/AppState.h"
#include "core/config/DataFolder.h"
#include "core/data/Schema.h"
#include "core/users/UserAccounts.h"
#include "core/users/UserLogin.h"
#include "support/TempDir.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/MainCommands.h"
#include "ui/app/ShellServices.h"
#include "ui/common/Dialogs.h"
#include "ui/users/CSysUserPermission.h"
#include "ui/users/UserCommands.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
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
        for (const char *name : {"a", "b"})
            if (accounts->addUser(name, "pw", "pw", "t") != zentra::UserAccounts::Result::Ok)
                qFatal("no user");
    }

    std::string flagsOf(const std::string &user)
    {
        zentra::AppState state;
        zentra::UserLogin(folder.databasePath()).login(user, "pw", "t", state);
        std::string s;
        for (unsigned char f : state.permissions)
            s += f ? '1' : '0';
        return s;
    }
};

void chooseUser(CSysUserPermission &dlg, const QString &name)
{
    auto *list = dlg.findChild<QListWidget *>("userList");
    const auto found = list->findItems(name, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.first()).center());
}

QTreeWidgetItem *itemOf(CSysUserPermission &dlg, const QString &caption)
{
    const auto found = dlg.tree()->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

// A click on the item's label, as the user does.
void clickItem(CSysUserPermission &dlg, const QString &caption)
{
    QTreeWidgetItem *item = itemOf(dlg, caption);
    QVERIFY(item);
    QTest::mouseClick(dlg.tree()->viewport(), Qt::LeftButton, {}, dlg.tree()->visualItemRect(item).center());
}

bool isChecked(CSysUserPermission &dlg, const char *caption)
{
    return itemOf(dlg, QString::fromUtf8(caption))->checkState(0) == Qt::Checked;
}

}

class CSysUserPermissionTest : public QObject {
    Q_OBJECT

private slots:
    void treeFollowsTheRulesAndSavesOneUser()
    {
        Fixture f;
        CSysUserPermission dlg(*f.accounts, f.dialogs);
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("权限设置"));
        QCOMPARE(dlg.findChild<QListWidget *>("userList")->count(), 3);
        click(dlg, "saveButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("请先选择需要修改的用户！"));

        chooseUser(dlg, "a");
        QCOMPARE(dlg.tree()->topLevelItemCount(), 4);
        QTreeWidgetItem *group = dlg.tree()->topLevelItem(0);
        QCOMPARE(group->text(0), QStringLiteral("快递打印"));
        QVERIFY(group->isExpanded());
        QCOMPARE(group->childCount(), 3);

        clickItem(dlg, "快递打印");
        QVERIFY(isChecked(dlg, "新快递单") && isChecked(dlg, "单张打印") && isChecked(dlg, "批量打印"));
        clickItem(dlg, "单张打印");
        QVERIFY(!isChecked(dlg, "快递打印"));
        QVERIFY(isChecked(dlg, "新快递单"));
        clickItem(dlg, "单张打印");
        QVERIFY(isChecked(dlg, "快递打印"));
        clickItem(dlg, "系统设置");
        QVERIFY(!isChecked(dlg, "系统选项"));
        // Space toggles the current item as a click does.
        dlg.tree()->setCurrentItem(itemOf(dlg, QStringLiteral("模板管理")));
        QTest::keyClick(dlg.tree(), Qt::Key_Space);
        QVERIFY(isChecked(dlg, "模板管理") && isChecked(dlg, "删除模板"));
        QTest::keyClick(dlg.tree(), Qt::Key_Space);
        QVERIFY(!isChecked(dlg, "删除模板"));

        click(dlg, "saveButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("权限修改成功！"));
        std::string expected(50, '0');
        expected[0] = expected[4] = expected[5] = expected[6] = expected[22] = '1';
        QCOMPARE(f.flagsOf("a"), expected);
        QCOMPARE(f.flagsOf("b"), std::string(50, '0'));

        // Another user shows its own rights; "全选" and "全不选" cover the tree.
        chooseUser(dlg, "b");
        QVERIFY(!isChecked(dlg, "新快递单"));
        click(dlg, "checkAllButton");
        QVERIFY(isChecked(dlg, "权限设置") && isChecked(dlg, "模板管理"));
        click(dlg, "saveButton");
        QCOMPARE(f.flagsOf("b"), std::string(26, '1') + std::string(24, '0'));
        click(dlg, "checkNoneButton");
        QVERIFY(!isChecked(dlg, "权限设置"));
        QCOMPARE(f.flagsOf("a"), expected);
    }

    void adminsRightsCannotChange()
    {
        Fixture f;
        CSysUserPermission dlg(*f.accounts, f.dialogs);
        dlg.show();
        chooseUser(dlg, "admin");
        click(dlg, "checkNoneButton");
        click(dlg, "saveButton");
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("管理员权限无法修改！"));
        zentra::AppState state;
        zentra::UserLogin(f.folder.databasePath()).login("admin", "", "t", state);
        QVERIFY(state.allowed(25));
    }

    // A new user is refused every guarded command, the user dialogs' own
    // included, until rights are granted; the dialogs open through the menu.
    void newUserIsRefusedUntilGranted()
    {
        Fixture f;
        zentra::AppState state;
        state.connectionString = f.folder.databasePath();
        QCOMPARE(zentra::UserLogin(f.folder.databasePath()).login("a", "pw", "t", state),
                 zentra::UserLogin::Result::Ok);
        RecordingShell shell;
        CMainFrame frame(state, f.dialogs, shell, f.folder);
        installUserCommands(frame, state, f.folder, f.dialogs);
        for (const auto &c : mainCommands()) {
            if (c.permission < 0)
                continue;
            f.dialogs.asked.clear();
            frame.runCommand(c.id);
            QCOMPARE(f.dialogs.lastText(), QString::fromUtf8(kNoPermissionText));
        }

        QCOMPARE(f.accounts->grant("a", "系统选项", true), zentra::UserAccounts::Result::Ok);
        QCOMPARE(zentra::UserLogin(f.folder.databasePath()).login("a", "pw", "t", state),
                 zentra::UserLogin::Result::Ok);
        const std::pair<int, const char *> dialogs[] = {{cmd::ManageUsers, "用户管理"},
                                                        {cmd::ChangePassword, "修改密码"},
                                                        {cmd::Permissions, "权限设置"},
                                                        {cmd::Settings, "系统设置"}};
        for (const auto &[id, title] : dialogs) {
            QString shown;
            QTimer::singleShot(0, [&] {
                if (auto *dlg = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                    shown = dlg->windowTitle();
                    dlg->reject();
                }
            });
            f.dialogs.asked.clear();
            QVERIFY(frame.runCommand(id));
            QCOMPARE(shown, QString::fromUtf8(title));
            QVERIFY(f.dialogs.asked.empty());
        }
    }

private:
    static void click(QWidget &dlg, const char *button)
    {
        QTest::mouseClick(dlg.findChild<QPushButton *>(button), Qt::LeftButton);
    }
};

QTEST_MAIN(CSysUserPermissionTest)
#include "CSysUserPermission_test.moc"
