#include "ui/masterdata/CDlgRevList.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace zentra::ui {
namespace {

QDialogButtonBox *okCancel(QDialog *dlg)
{
    auto *buttons = new QDialogButtonBox(dlg);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("okButton"));
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cancelButton"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dlg, &QDialog::reject);
    return buttons;
}

}

CDlgRevList::CDlgRevList(const QString &caption, const QString &text, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CDlgRevList"));
    setWindowTitle(caption);
    auto *form = new QFormLayout(this);
    edit_ = new QLineEdit(text, this);
    edit_->setObjectName(QStringLiteral("classNameEdit"));
    form->addRow(QStringLiteral("输入类别"), edit_);
    form->addRow(okCancel(this));
}

QString CDlgRevList::value() const
{
    return edit_->text();
}

CBookClassChooser::CBookClassChooser(const QString &caption, const QStringList &classes, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(caption);
    auto *form = new QFormLayout(this);
    combo_ = new QComboBox(this);
    combo_->setObjectName(QStringLiteral("classCombo"));
    combo_->addItems(classes);
    form->addRow(QStringLiteral("类别名称"), combo_);
    form->addRow(okCancel(this));
}

QString CBookClassChooser::value() const
{
    return combo_->currentText();
}

}
