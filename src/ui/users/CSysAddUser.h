#pragma once

#include <QDialog>

class QLineEdit;

namespace zentra {
class UserAccounts;
}

namespace zentra::ui {

class CReportCtrl;
class Dialogs;

// "用户管理": the users by name with their last login, and the edits to add
// one. "添加" and "删除" call the user rules and refill the grid; a double
// click on a row copies its name into the name edit.
class CSysAddUser : public QDialog {
    Q_OBJECT
public:
    CSysAddUser(UserAccounts &accounts, Dialogs &dialogs, QWidget *parent = nullptr);

    void addUser();
    void deleteSelected();
    void refill();

private:
    UserAccounts &accounts_;
    Dialogs &dialogs_;
    CReportCtrl *grid_;
    QLineEdit *name_;
    QLineEdit *password_;
    QLineEdit *confirm_;
};

// Fills a user grid ("行号,60,1; 姓名,160,0; 最后登录时间,170,0") from the
// users by name; shared by the user and the password dialogs.
void fillUserGrid(CReportCtrl &grid, UserAccounts &accounts);

}
