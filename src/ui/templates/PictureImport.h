#pragma once

#include <QWidget>

#include <string>

class QLabel;
class QPushButton;

namespace zentra::ui {

class Dialogs;

// The picture frame with its "导入图片" button, shared by the new-template
// wizard and the change-background dialog. It keeps only the picture file's
// bytes as Base64 text, never the file; the frame shows the picture stretched.
class PictureImport : public QWidget {
    Q_OBJECT
public:
    PictureImport(Dialogs &dialogs, QWidget *parent = nullptr);

    // Base64 of the last picture read; empty before one was.
    const std::string &imageData() const { return imageData_; }
    // Asks for a picture file and reads it; false when cancelled or unreadable.
    bool importPicture();
    QLabel *frame() const { return frame_; }

    static QString fileFilter();

private:
    Dialogs &dialogs_;
    QLabel *frame_;
    std::string imageData_;
};

}
