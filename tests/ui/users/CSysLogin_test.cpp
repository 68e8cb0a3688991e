#include "core/config/AppState.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/users/UserLogin.h"
#include "support/TempDir.h"
#include "ui/common/Dialogs.h"
#include "ui/users/CSysLogin.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace zentra::ui;

class CSysLoginTest : public QObject {
    Q_OBJECT

    zentra::test::TempDir dir_;
    zentra::DataFolder folder_{dir_.path()};

private slots:
    void initTestCase()
    {
        QVERIFY(zentra::initDataFolder(folder_));
        zentra::DbConnection db;
        QVERIFY(db.open(folder_.databasePath()));
        QCOMPARE(db.execute("insert into userLogin(user_id, user_pwd, user_loginTime) values(?, ?, ?)",
                            {"packer", "pw", "2026-01-02 03:04:05"}),
                 1);
        for (int id = 1; id <= 26; ++id)
            QCOMPARE(db.execute("insert into userPermission(user_id, ID, PID, Caption, permission) "
                                "values(?, ?, 0, ?, ?)",
                                {"packer", id, "c" + std::to_string(id), id == 6 ? "1" : "0"}),
                     1);
    }

    void offersLastUserFirst()
    {
        zentra::AppState state;
        ScriptedDialogs dialogs;
        zentra::UserLogin logins(folder_.databasePath());
        CSysLogin dlg(state, dialogs, logins);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Sorvik快递单打印软件-登录"));
        auto *names = dlg.findChild<QComboBox *>("userName");
        QVERIFY(names->isEditable());
        QCOMPARE(names->currentText(), QStringLiteral("packer"));
        QCOMPARE(names->count(), 2);
        QCOMPARE(dlg.findChild<QLineEdit *>("password")->echoMode(), QLineEdit::Password);
    }

    void loginAttempts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::newRow("wrong password") << "packer"
                                        << "PW"
                                        << "密码错误，请重新输入密码";
        QTest::newRow("empty name") << ""
                                    << ""
                                    << "请输入用户名";
        QTest::newRow("unknown user") << "ghost"
                                      << ""
                                      << "该用户不存在，请重新输入用户名";
        QTest::newRow("right password") << "packer"
                                        << "pw" << QString();
    }

    void loginAttempts()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, message);
        zentra::AppState state;
        ScriptedDialogs dialogs;
        zentra::UserLogin logins(folder_.databasePath());
        CSysLogin dlg(state, dialogs, logins);
        dlg.show();
        dlg.findChild<QComboBox *>("userName")->setEditText(name);
        dlg.findChild<QLineEdit *>("password")->setText(password);
        QTest::mouseClick(dlg.findChild<QPushButton *>("loginButton"), Qt::LeftButton);
        if (message.isEmpty()) {
            QVERIFY(!dlg.isVisible());
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QVERIFY(dialogs.asked.empty());
            QCOMPARE(state.currentUser, name.toStdString());
            // Only the user's sixth row (flag 5, single print) is granted.
            for (int k = 0; k < zentra::AppState::kPermissionCount; ++k)
                QCOMPARE(state.allowed(k), k == 5);
        } else {
            QVERIFY(dlg.isVisible());
            QCOMPARE(dialogs.lastText(), message);
            QVERIFY(state.currentUser.empty());
        }
    }
};

QTEST_MAIN(CSysLoginTest)
#include "CSysLogin_test.moc"
