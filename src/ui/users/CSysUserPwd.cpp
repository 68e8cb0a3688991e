#include "ui/users/CSysUserPwd.h"

#include "core/users/UserAccounts.h"
#include "ui/common/Dialogs.h"
#include "ui/data/CReportCtrl.h"
#include "ui/users/CSysAddUser.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentra::ui {

CSysUserPwd::CSysUserPwd(UserAccounts &accounts, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), accounts_(accounts), dialogs_(dialogs), grid_(new CReportCtrl(this)), name_(new QLineEdit),
      old_(new QLineEdit), new_(new QLineEdit), confirm_(new QLineEdit)
{
    setObjectName(QStringLiteral("userPasswordDialog"));
    setWindowTitle(QStringLiteral("修改密码"));
    grid_->setObjectName(QStringLiteral("userGrid"));
    name_->setObjectName(QStringLiteral("userName"));
    name_->setReadOnly(true);
    old_->setObjectName(QStringLiteral("oldPassword"));
    new_->setObjectName(QStringLiteral("newPassword"));
    confirm_->setObjectName(QStringLiteral("confirmPassword"));
    for (QLineEdit *e : {old_, new_, confirm_})
        e->setEchoMode(QLineEdit::Password);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("用户名称："), name_);
    form->addRow(QStringLiteral("原  密  码："), old_);
    form->addRow(QStringLiteral("新  密  码："), new_);
    form->addRow(QStringLiteral("密码确认："), confirm_);

    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setAutoDefault(false);
    auto *close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &CSysUserPwd::changePassword);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(grid_, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex &index) { name_->setText(grid_->cellText(index.row(), 1)); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(grid_, 1);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(440, 440);
    fillUserGrid(*grid_, accounts_);
}

void CSysUserPwd::changePassword()
{
    if (name_->text().isEmpty())
        return;
    const UserAccounts::Result r = accounts_.changePassword(name_->text().toStdString(), old_->text().toStdString(),
                                                            new_->text().toStdString(), confirm_->text().toStdString());
    if (r == UserAccounts::Result::Ok) {
        old_->clear();
        new_->clear();
        confirm_->clear();
        dialogs_.inform(this, QStringLiteral("密码修改成功！"));
        return;
    }
    dialogs_.warn(this, r == UserAccounts::Result::DbError ? QString::fromStdString(accounts_.error())
                                                           : QString::fromUtf8(userAccountsMessage(r)));
}

}
