#include "ui/templates/LabelCheckBoxes.h"

#include "core/templates/FieldCatalogue.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>

namespace zentra::ui {

namespace {

QString fromView(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}

LabelCheckBoxes::LabelCheckBoxes(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("labelCheckBoxes"));
    // Sender and receiver side by side, the three small groups below them.
    auto *outer = new QGridLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    const auto groups = addLabelGroups();
    struct Place {
        int row, column, columnSpan, boxColumns;
    };
    const Place places[] = {{0, 0, 2, 4}, {0, 2, 2, 4}, {1, 0, 2, 4}, {1, 2, 1, 3}, {1, 3, 1, 2}};
    for (std::size_t g = 0; g < groups.size(); ++g) {
        auto *group = new QGroupBox(fromView(groups[g]));
        group->setObjectName(QStringLiteral("labelGroup%1").arg(g));
        auto *grid = new QGridLayout(group);
        int n = 0;
        for (const AddLabelCheckbox &c : addLabelCheckboxes()) {
            if (c.group != groups[g])
                continue;
            auto *box = new QCheckBox(fromView(c.caption));
            box->setObjectName(QStringLiteral("label%1").arg(c.index));
            grid->addWidget(box, n / places[g].boxColumns, n % places[g].boxColumns);
            boxes_[static_cast<std::size_t>(c.index)] = box;
            ++n;
        }
        grid->setRowStretch(grid->rowCount(), 1);
        outer->addWidget(group, places[g].row, places[g].column, 1, places[g].columnSpan);
    }
}

QCheckBox *LabelCheckBoxes::box(int index) const
{
    if (index < 0 || index >= kSlotCount)
        return nullptr;
    return boxes_[static_cast<std::size_t>(index)];
}

bool LabelCheckBoxes::isChecked(int index) const
{
    const QCheckBox *b = box(index);
    return b && b->isChecked();
}

void LabelCheckBoxes::setChecked(int index, bool checked)
{
    if (QCheckBox *b = box(index))
        b->setChecked(checked);
}

void LabelCheckBoxes::setAllChecked(bool checked)
{
    for (QCheckBox *b : boxes_)
        if (b)
            b->setChecked(checked);
}

}
