#pragma once

#include "core/config/DataFolder.h"

#include <QDialog>
#include <QWizard>

#include <string>

class QLineEdit;

namespace zentra {
struct AppState;
}

namespace zentra::ui {

class CDEdit;
class Dialogs;
class LabelCheckBoxes;
class PictureImport;

// Page one, "添加背景图片": the picture, the template's name and the sheet's
// size in centimetres. "下一步" runs the checks in order and asks before an
// existing template of exactly that name is overwritten.
class CAddImgPage : public QWizardPage {
    Q_OBJECT
public:
    CAddImgPage(const DataFolder &folder, Dialogs &dialogs, QWidget *parent = nullptr);
    bool validatePage() override;

    PictureImport *picture() const { return picture_; }
    QLineEdit *nameEdit() const { return name_; }
    CDEdit *widthEdit() const { return width_; }
    CDEdit *heightEdit() const { return height_; }

private:
    const DataFolder &folder_;
    Dialogs &dialogs_;
    PictureImport *picture_;
    QLineEdit *name_;
    CDEdit *width_;
    CDEdit *height_;
};

// Page two, "添加标签": the field check boxes of the new template's items.
class CAddEditPage : public QWizardPage {
    Q_OBJECT
public:
    explicit CAddEditPage(QWidget *parent = nullptr);
    LabelCheckBoxes *boxes() const { return boxes_; }

private:
    LabelCheckBoxes *boxes_;
};

// The new-template wizard. On "完成" it writes template/NAME.ttp (the picture,
// the typed size, margins "0", one item per checked field at its default
// place with the default font of new items); the caller then makes it the
// current template. Enter neither advances nor finishes.
class CAddTmpSheet : public QWizard {
    Q_OBJECT
public:
    CAddTmpSheet(const AppState &state, DataFolder folder, Dialogs &dialogs, QWidget *parent = nullptr);

    CAddImgPage *imagePage() const { return imagePage_; }
    CAddEditPage *labelPage() const { return labelPage_; }
    // The file written by the finish ("NAME.ttp"); empty before.
    const std::string &writtenFile() const { return writtenFile_; }

    void accept() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const AppState &state_;
    DataFolder folder_;
    Dialogs &dialogs_;
    CAddImgPage *imagePage_;
    CAddEditPage *labelPage_;
    std::string writtenFile_;
};

// "更改模板背景图片": a new picture and size for the template in design. On
// "确定" (after its checks) the values are kept for the caller to apply.
class CChangeImgDlg : public QDialog {
    Q_OBJECT
public:
    explicit CChangeImgDlg(Dialogs &dialogs, QWidget *parent = nullptr);

    PictureImport *picture() const { return picture_; }
    CDEdit *widthEdit() const { return width_; }
    CDEdit *heightEdit() const { return height_; }

    void accept() override;

private:
    Dialogs &dialogs_;
    PictureImport *picture_;
    CDEdit *width_;
    CDEdit *height_;
};

}
