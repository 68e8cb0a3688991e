#pragma once

#include <QDialog>

class QLineEdit;

namespace zentra {
class UserAccounts;
}

namespace zentra::ui {

class CReportCtrl;
class Dialogs;

// "修改密码": the users' grid; a double click on a row chooses the user whose
// password "确定" changes after checking the old one.
class CSysUserPwd : public QDialog {
    Q_OBJECT
public:
    CSysUserPwd(UserAccounts &accounts, Dialogs &dialogs, QWidget *parent = nullptr);

    void changePassword();

private:
    UserAccounts &accounts_;
    Dialogs &dialogs_;
    CReportCtrl *grid_;
    QLineEdit *name_;
    QLineEdit *old_;
    QLineEdit *new_;
    QLineEdit *confirm_;
};

}
