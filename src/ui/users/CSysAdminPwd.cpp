#include "ui/users/CSysAdminPwd.h"

#include "core/users/UserAccounts.h"
#include "ui/common/Dialogs.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentra::ui {

CSysAdminPwd::CSysAdminPwd(UserAccounts &accounts, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), accounts_(accounts), dialogs_(dialogs), new_(new QLineEdit), confirm_(new QLineEdit)
{
    setObjectName(QStringLiteral("adminPasswordDialog"));
    setWindowTitle(QStringLiteral("设置管理员密码"));
    new_->setObjectName(QStringLiteral("newPassword"));
    confirm_->setObjectName(QStringLiteral("confirmPassword"));
    for (QLineEdit *e : {new_, confirm_}) {
        e->setEchoMode(QLineEdit::Password);
        e->setMinimumWidth(200);
    }

    auto *why = new QLabel(QStringLiteral("进入系统需要密码验证，但管理员 admin 的密码仍然为空，"
                                          "任何人都能以 admin 登录。\n请先为 admin 设置密码："),
                           this);
    why->setObjectName(QStringLiteral("reason"));
    why->setWordWrap(true);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("用户名称："), new QLabel(QString::fromLatin1(UserAccounts::kAdmin), this));
    form->addRow(QStringLiteral("新  密  码："), new_);
    form->addRow(QStringLiteral("密码确认："), confirm_);

    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &CSysAdminPwd::setPassword);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(why);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(400, sizeHint().height());
    new_->setFocus();
}

void CSysAdminPwd::setPassword()
{
    const UserAccounts::Result r =
        accounts_.changePassword(UserAccounts::kAdmin, "", new_->text().toStdString(), confirm_->text().toStdString());
    if (r == UserAccounts::Result::Ok) {
        accept();
        return;
    }
    dialogs_.warn(this, r == UserAccounts::Result::DbError ? QString::fromStdString(accounts_.error())
                                                           : QString::fromUtf8(userAccountsMessage(r)));
}

bool ensureAdminPassword(const std::string &databasePath, Dialogs &dialogs, QWidget *parent)
{
    UserAccounts accounts(databasePath);
    bool empty = false;
    if (!accounts.adminPasswordEmpty(empty)) {
        dialogs.warn(parent, QString::fromStdString(accounts.error()));
        return false;
    }
    if (!empty)
        return true;
    CSysAdminPwd dlg(accounts, dialogs, parent);
    return dlg.exec() == QDialog::Accepted;
}

}
