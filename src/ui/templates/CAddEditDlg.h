#pragma once

#include <QDialog>

#include <array>

namespace zentra::ui {

class LabelCheckBoxes;

// "添加标签": which fields of the template have an item. It opens with the box
// of every field that has an item checked; after "确定" the caller reads the
// boxes (checked() per field index) and makes or removes items to match.
class CAddEditDlg : public QDialog {
    Q_OBJECT
public:
    // `present[i]`: the slot i has an item now.
    explicit CAddEditDlg(const std::array<bool, 60> &present, QWidget *parent = nullptr);

    bool checked(int index) const;
    LabelCheckBoxes *boxes() const { return boxes_; }

private:
    LabelCheckBoxes *boxes_;
};

}
