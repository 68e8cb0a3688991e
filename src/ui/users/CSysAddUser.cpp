#include "ui/users/CSysAddUser.h"

#include "core/users/UserAccounts.h"
#include "core/users/UserLogin.h"
#include "ui/common/Dialogs.h"
#include "ui/data/CReportCtrl.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentra::ui {

void fillUserGrid(CReportCtrl &grid, UserAccounts &accounts)
{
    grid.setColumns(QStringLiteral("行号,60,1; 姓名,160,0; 最后登录时间,170,0"));
    const auto users = accounts.users();
    for (std::size_t i = 0; i < users.size(); ++i)
        grid.appendRow({QString::number(i + 1), QString::fromStdString(users[i].name),
                        QString::fromStdString(users[i].lastLogin)});
}

CSysAddUser::CSysAddUser(UserAccounts &accounts, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), accounts_(accounts), dialogs_(dialogs), grid_(new CReportCtrl(this)), name_(new QLineEdit),
      password_(new QLineEdit), confirm_(new QLineEdit)
{
    setObjectName(QStringLiteral("addUserDialog"));
    setWindowTitle(QStringLiteral("用户管理"));
    grid_->setObjectName(QStringLiteral("userGrid"));
    name_->setObjectName(QStringLiteral("userName"));
    password_->setObjectName(QStringLiteral("password"));
    confirm_->setObjectName(QStringLiteral("confirmPassword"));
    password_->setEchoMode(QLineEdit::Password);
    confirm_->setEchoMode(QLineEdit::Password);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("用户名称："), name_);
    form->addRow(QStringLiteral("用户密码："), password_);
    form->addRow(QStringLiteral("密码确认："), confirm_);

    auto make = [this](const char *text, const char *name) {
        auto *b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton *add = make("添加", "addButton");
    QPushButton *remove = make("删除", "deleteButton");
    QPushButton *close = make("关闭", "closeButton");
    connect(add, &QPushButton::clicked, this, &CSysAddUser::addUser);
    connect(remove, &QPushButton::clicked, this, &CSysAddUser::deleteSelected);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(grid_, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex &index) { name_->setText(grid_->cellText(index.row(), 1)); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton *b : {add, remove, close})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(grid_, 1);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(440, 420);
    refill();
}

void CSysAddUser::refill()
{
    fillUserGrid(*grid_, accounts_);
}

void CSysAddUser::addUser()
{
    const UserAccounts::Result r = accounts_.addUser(name_->text().toStdString(), password_->text().toStdString(),
                                                     confirm_->text().toStdString(), localTimeNow());
    if (r == UserAccounts::Result::Ok) {
        for (QLineEdit *e : {name_, password_, confirm_})
            e->clear();
        refill();
        return;
    }
    const QString text = r == UserAccounts::Result::DbError ? QString::fromStdString(accounts_.error())
                                                            : QString::fromUtf8(userAccountsMessage(r));
    dialogs_.warn(this, text);
}

void CSysAddUser::deleteSelected()
{
    const QList<int> rows = grid_->selectedRows();
    if (rows.isEmpty()) {
        dialogs_.warn(this, QStringLiteral("没有选择需要删除的用户"));
        return;
    }
    if (!dialogs_.ask(this, QStringLiteral("您确认删除当前选中的用户吗？"), QStringLiteral("用户 - 删除")))
        return;
    const int row = rows.first();
    const UserAccounts::Result r = accounts_.deleteUser(grid_->cellText(row, 1).toStdString());
    if (r == UserAccounts::Result::Ok) {
        refill();
        dialogs_.inform(this, QStringLiteral("该用户已删除！"));
        return;
    }
    dialogs_.warn(this, r == UserAccounts::Result::DbError ? QString::fromStdString(accounts_.error())
                                                           : QString::fromUtf8(userAccountsMessage(r)));
}

}
