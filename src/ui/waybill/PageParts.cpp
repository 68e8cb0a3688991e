#include "ui/waybill/PageParts.h"

#include "ui/masterdata/CDlgRevList.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace zentra::ui {

PageQuery makePageQuery(const QString &title, QWidget *parent)
{
    PageQuery q;
    q.group = new QGroupBox(title, parent);
    auto *layout = new QHBoxLayout(q.group);
    layout->addWidget(new QLabel(QStringLiteral("分类"), q.group));
    q.classCombo = new QComboBox(q.group);
    q.classCombo->setObjectName(QStringLiteral("classCombo"));
    layout->addWidget(q.classCombo, 1);
    q.searchEdit = new QLineEdit(q.group);
    q.searchEdit->setObjectName(QStringLiteral("searchEdit"));
    layout->addWidget(q.searchEdit, 1);
    q.findButton = new QPushButton(QStringLiteral("查找"), q.group);
    q.findButton->setObjectName(QStringLiteral("findButton"));
    layout->addWidget(q.findButton);
    return q;
}

void fillClassCombo(QComboBox *combo, const std::vector<std::string> &classes)
{
    const QSignalBlocker block(combo);
    const QString shown = combo->currentText();
    combo->clear();
    for (const std::string &c : classes)
        combo->addItem(QString::fromStdString(c));
    const int again = shown.isEmpty() ? -1 : combo->findText(shown, Qt::MatchExactly);
    combo->setCurrentIndex(again >= 0 ? again : (combo->count() > 0 ? 0 : -1));
}

std::optional<QString> chooseBatchClass(const QString &caption, const QString &objectName, const QStringList &classes,
                                        QWidget *parent)
{
    CBookClassChooser dlg(caption, classes, parent);
    dlg.setObjectName(objectName);
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return dlg.value();
}

}
