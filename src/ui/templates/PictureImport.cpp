#include "ui/templates/PictureImport.h"

#include "core/templates/TemplateLibrary.h"
#include "ui/common/Dialogs.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentra::ui {

PictureImport::PictureImport(Dialogs &dialogs, QWidget *parent)
    : QWidget(parent), dialogs_(dialogs), frame_(new QLabel(this))
{
    frame_->setObjectName(QStringLiteral("pictureFrame"));
    frame_->setFrameShape(QFrame::Box);
    frame_->setScaledContents(true);
    frame_->setMinimumSize(320, 180);
    auto *button = new QPushButton(QStringLiteral("导入图片"), this);
    button->setObjectName(QStringLiteral("importPictureButton"));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this] { importPicture(); });
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame_, 1);
    layout->addWidget(button, 0, Qt::AlignLeft);
}

QString PictureImport::fileFilter()
{
    // Scanners often save PNG, so the last filter also offers PNG and BMP.
    return QStringLiteral("JPEG文件(*.jpg);;JPEG文件(*.JPG);;所有图片(*.jpg *.JPG *.jpeg *.JPEG *.png *.PNG *.bmp *.BMP)");
}

bool PictureImport::importPicture()
{
    const QString path = dialogs_.openFile(this, QString(), QString(), fileFilter());
    if (path.isEmpty())
        return false;
    std::string data, error;
    if (!readPictureAsBase64(path.toStdString(), data, error)) {
        dialogs_.warn(this, QString::fromStdString(error));
        return false;
    }
    QPixmap picture;
    picture.load(path);
    frame_->setPixmap(picture);
    imageData_ = std::move(data);
    return true;
}

}
