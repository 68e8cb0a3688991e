#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

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

// Fills a page's class drop-down with `classes`, keeping the class it showed
// when that is still there (else the first), without a selection signal.
void fillClassCombo(QComboBox *combo, const std::vector<std::string> &classes);

// The batch class change's chooser: the chosen class, nullopt on Cancel.
std::optional<QString> chooseBatchClass(const QString &caption, const QString &objectName, const QStringList &classes,
                                        QWidget *parent);

}
