#include "ui/users/CSysUserPermission.h"

#include "core/users/UserAccounts.h"
#include "ui/common/Dialogs.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zentra::ui {

namespace {
constexpr int kNodeRole = Qt::UserRole;
}

CSysUserPermission::CSysUserPermission(UserAccounts &accounts, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), accounts_(accounts), dialogs_(dialogs), users_(new QListWidget(this)),
      tree_(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("userPermissionDialog"));
    setWindowTitle(QStringLiteral("权限设置"));
    users_->setObjectName(QStringLiteral("userList"));
    users_->setMaximumWidth(180);
    tree_->setObjectName(QStringLiteral("permissionTree"));
    tree_->setHeaderHidden(true);
    tree_->setColumnCount(1);

    for (const auto &u : accounts_.users())
        users_->addItem(QString::fromStdString(u.name));
    connect(users_, &QListWidget::currentTextChanged, this, &CSysUserPermission::showUser);
    connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) { toggle(item); });
    tree_->installEventFilter(this);

    auto make = [this](const char *text, const char *name) {
        auto *b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton *all = make("全选", "checkAllButton");
    QPushButton *none = make("全不选", "checkNoneButton");
    QPushButton *save = make("修改权限", "saveButton");
    QPushButton *close = make("关闭", "closeButton");
    connect(all, &QPushButton::clicked, this, [this] { setAll(true); });
    connect(none, &QPushButton::clicked, this, [this] { setAll(false); });
    connect(save, &QPushButton::clicked, this, &CSysUserPermission::save);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("用户列表：")), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("权限设置列表：")), 0, 1);
    grid->addWidget(users_, 1, 0);
    grid->addWidget(tree_, 1, 1);
    grid->setColumnStretch(1, 2);
    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {all, none, save, close})
        buttons->addWidget(b);
    buttons->addStretch(1);
    grid->addLayout(buttons, 1, 2);
    setLayout(grid);
    resize(560, 460);
}

void CSysUserPermission::showUser(const QString &name)
{
    tree_->clear();
    items_.clear();
    model_ = PermissionTree();
    user_ = name;
    if (name.isEmpty())
        return;
    auto tree = accounts_.permissionTree(name.toStdString());
    if (!tree) {
        dialogs_.warn(this, QString::fromStdString(accounts_.error()));
        return;
    }
    model_ = std::move(*tree);
    for (std::size_t i = 0; i < model_.size(); ++i) {
        const PermissionTree::Node &node = model_.nodes()[i];
        QTreeWidgetItem *item = node.parent < 0 ? new QTreeWidgetItem(tree_)
                                                : new QTreeWidgetItem(items_[static_cast<std::size_t>(node.parent)]);
        item->setText(0, QString::fromStdString(node.row.caption));
        item->setData(0, kNodeRole, static_cast<int>(i));
        // Not user-checkable: a click anywhere on the item toggles it through
        // the tree's rules, so the box never changes on its own.
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        items_.push_back(item);
    }
    syncChecks();
    for (int i = 0; i < tree_->topLevelItemCount(); ++i)
        tree_->topLevelItem(i)->setExpanded(true);
}

bool CSysUserPermission::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == tree_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space && !static_cast<QKeyEvent *>(event)->isAutoRepeat()) {
        toggle(tree_->currentItem());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CSysUserPermission::syncChecks()
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        items_[i]->setCheckState(0, model_.nodes()[i].row.allowed ? Qt::Checked : Qt::Unchecked);
}

void CSysUserPermission::toggle(QTreeWidgetItem *item)
{
    if (!item)
        return;
    const int node = item->data(0, kNodeRole).toInt();
    if (node < 0 || node >= static_cast<int>(model_.size()))
        return;
    model_.set(node, !model_.nodes()[static_cast<std::size_t>(node)].row.allowed);
    syncChecks();
}

void CSysUserPermission::setAll(bool allowed)
{
    model_.setAll(allowed);
    syncChecks();
}

void CSysUserPermission::save()
{
    const UserAccounts::Result r = accounts_.savePermissions(user_.toStdString(), model_);
    if (r == UserAccounts::Result::Ok) {
        dialogs_.inform(this, QStringLiteral("权限修改成功！"));
        return;
    }
    dialogs_.warn(this, r == UserAccounts::Result::DbError ? QString::fromStdString(accounts_.error())
                                                           : QString::fromUtf8(userAccountsMessage(r)));
}

}
