#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace zentra {
struct AppState;
class UserLogin;
}

namespace zentra::ui {

class Dialogs;

// The login dialog shown at start when login is switched on: the users, the
// last one to log in first, and a password. "登录" accepts only a matching
// name and password, and then the user and its permission flags are in
// AppState; "取消" (or closing the dialog) rejects it.
class CSysLogin : public QDialog {
    Q_OBJECT
public:
    CSysLogin(AppState &state, Dialogs &dialogs, UserLogin &logins, QWidget *parent = nullptr);

    // Checks what was typed; accepts the dialog on success, otherwise says why
    // and stays open.
    void tryLogin();

private:
    AppState &state_;
    Dialogs &dialogs_;
    UserLogin &logins_;
    QComboBox *userName_;
    QLineEdit *password_;
};

}
