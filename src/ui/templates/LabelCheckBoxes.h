#pragma once

#include <QWidget>

#include <array>

class QCheckBox;

namespace zentra::ui {

// The add-label check boxes: one per field of the catalogue, in the five group
// boxes "发件人", "收件人", "订单信息", "保价金额" and "其它", with the field's
// caption. Shared by the designer's add-label dialog and the new-template
// wizard. Slots without a field have no box.
class LabelCheckBoxes : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSlotCount = 60;

    explicit LabelCheckBoxes(QWidget *parent = nullptr);

    // nullptr for a slot without a field.
    QCheckBox *box(int index) const;
    bool isChecked(int index) const;
    void setChecked(int index, bool checked);
    void setAllChecked(bool checked);

private:
    std::array<QCheckBox *, kSlotCount> boxes_{};
};

}
