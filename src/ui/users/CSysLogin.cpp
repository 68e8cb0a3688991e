#include "ui/users/CSysLogin.h"

#include "core/config/AppState.h"
#include "core/users/UserLogin.h"
#include "ui/common/Dialogs.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentra::ui {

CSysLogin::CSysLogin(AppState &state, Dialogs &dialogs, UserLogin &logins, QWidget *parent)
    : QDialog(parent), state_(state), dialogs_(dialogs), logins_(logins), userName_(new QComboBox),
      password_(new QLineEdit)
{
    setObjectName(QStringLiteral("loginDialog"));
    setWindowTitle(QStringLiteral("Sorvik快递单打印软件-登录"));

    userName_->setObjectName(QStringLiteral("userName"));
    userName_->setEditable(true);
    userName_->setInsertPolicy(QComboBox::NoInsert);
    userName_->setMinimumWidth(200);
    for (const std::string &name : logins_.usersByLastLogin())
        userName_->addItem(QString::fromStdString(name));
    userName_->setCurrentIndex(userName_->count() > 0 ? 0 : -1);

    password_->setObjectName(QStringLiteral("password"));
    password_->setEchoMode(QLineEdit::Password);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("用户名称："), userName_);
    form->addRow(QStringLiteral("用户口令："), password_);

    auto *hint = new QLabel(QStringLiteral("默认用户名为admin，密码为空"));
    hint->setObjectName(QStringLiteral("loginHint"));

    auto *login = new QPushButton(QStringLiteral("登录"));
    login->setObjectName(QStringLiteral("loginButton"));
    login->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(login, &QPushButton::clicked, this, &CSysLogin::tryLogin);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(login);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());

    password_->setFocus();
}

void CSysLogin::tryLogin()
{
    const std::string name = userName_->currentText().toStdString();
    const std::string password = password_->text().toStdString();
    const UserLogin::Result r = logins_.login(name, password, localTimeNow(), state_);
    if (r == UserLogin::Result::Ok) {
        accept();
        return;
    }
    const QString problem =
        r == UserLogin::Result::DbError ? QString::fromStdString(logins_.error()) : QString::fromUtf8(loginMessage(r));
    if (r == UserLogin::Result::WrongPassword) {
        password_->selectAll();
        password_->setFocus();
    } else if (r != UserLogin::Result::DbError) {
        userName_->setFocus();
    }
    dialogs_.message(this, QString(), problem, Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
}

}
