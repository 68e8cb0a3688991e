#pragma once

#include <QDialog>

#include <string>

class QLineEdit;

namespace zentra {
class UserAccounts;
}

namespace zentra::ui {

class Dialogs;

// "设置管理员密码": asked before the login is switched on while "admin" still
// has the empty password of a new database, since with the login on anyone
// could otherwise take the account (its password can be changed from the
// empty one by any user allowed to change passwords). "确定" sets the
// password once it is given twice alike and closes; "取消" leaves it empty.
class CSysAdminPwd : public QDialog {
    Q_OBJECT
public:
    CSysAdminPwd(UserAccounts &accounts, Dialogs &dialogs, QWidget *parent = nullptr);

    void setPassword();

private:
    UserAccounts &accounts_;
    Dialogs &dialogs_;
    QLineEdit *new_;
    QLineEdit *confirm_;
};

// Makes sure "admin" has a password before the login goes on: true when it
// has one already or the user just gave it one; false (after a message when
// the database failed) when the login must stay off.
bool ensureAdminPassword(const std::string &databasePath, Dialogs &dialogs, QWidget *parent);

}
