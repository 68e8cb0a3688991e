#pragma once

#include "core/users/PermissionTree.h"

#include <QDialog>

class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace zentra {
class UserAccounts;
}

namespace zentra::ui {

class Dialogs;

// "权限设置": the users, and the chosen user's permissions as a tree of check
// boxes. The tree's rules are PermissionTree's; the widget shows its states
// and every click on an item (check box, label or icon) toggles it there.
// "修改权限" saves the whole tree in one transaction; it takes effect at the
// user's next login.
class CSysUserPermission : public QDialog {
    Q_OBJECT
public:
    CSysUserPermission(UserAccounts &accounts, Dialogs &dialogs, QWidget *parent = nullptr);

    void showUser(const QString &name);
    void toggle(QTreeWidgetItem *item);
    void setAll(bool allowed);
    void save();

    QTreeWidget *tree() const { return tree_; }

protected:
    // Space toggles the current item, as a click does.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void syncChecks();

    UserAccounts &accounts_;
    Dialogs &dialogs_;
    QListWidget *users_;
    QTreeWidget *tree_;
    PermissionTree model_;
    QString user_;
    std::vector<QTreeWidgetItem *> items_; // one per node of model_
};

}
