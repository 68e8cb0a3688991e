#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QWidget;

namespace zentra::ui {

// The query group the receiver, sender and goods pages open with: "分类", the
// class drop-down, the search text and "查找".
struct PageQuery {
    QGroupBox *group = nullptr;
    QComboBox *classCombo = nullptr;
    QLineEdit *searchEdit = nullptr;
    QPushButton *findButton = nullptr;
};
PageQuery makePageQuery(const QString &title, QWidget *parent);

// The batch class change's chooser: the chosen class, nullopt on Cancel.
std::optional<QString> chooseBatchClass(const QString &caption, const QString &objectName, const QStringList &classes,
                                        QWidget *parent);

}
