#include "ui/templates/CAddEditDlg.h"

#include "ui/templates/LabelCheckBoxes.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentra::ui {

CAddEditDlg::CAddEditDlg(const std::array<bool, 60> &present, QWidget *parent)
    : QDialog(parent), boxes_(new LabelCheckBoxes)
{
    setObjectName(QStringLiteral("addLabelDialog"));
    setWindowTitle(QStringLiteral("添加标签"));
    for (int i = 0; i < LabelCheckBoxes::kSlotCount; ++i)
        boxes_->setChecked(i, present[static_cast<std::size_t>(i)]);

    auto button = [this](const char *text, const char *name) {
        auto *b = new QPushButton(QString::fromUtf8(text));
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton *all = button("全选", "checkAllButton");
    QPushButton *none = button("取消全选", "uncheckAllButton");
    QPushButton *ok = button("确定", "okButton");
    QPushButton *cancel = button("取消", "cancelButton");
    ok->setDefault(true);
    connect(all, &QPushButton::clicked, this, [this] { boxes_->setAllChecked(true); });
    connect(none, &QPushButton::clicked, this, [this] { boxes_->setAllChecked(false); });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(all);
    buttons->addWidget(none);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(boxes_);
    layout->addLayout(buttons);
}

bool CAddEditDlg::checked(int index) const
{
    return boxes_->isChecked(index);
}

}
