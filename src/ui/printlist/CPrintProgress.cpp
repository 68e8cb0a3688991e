#include "ui/printlist/CPrintProgress.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentra::ui {

CPrintProgress::CPrintProgress(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CPrintProgress"));
    setWindowTitle(QStringLiteral("批量打印"));
    setWindowModality(Qt::WindowModal);
    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("progressText"));
    label_->setMinimumWidth(220);
    cancel_ = new QPushButton(QStringLiteral("取消"), this);
    cancel_->setObjectName(QStringLiteral("cancelPrint"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(cancel_, 0, Qt::AlignRight);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        cancelled_ = true;
        cancel_->setEnabled(false);
    });
}

void CPrintProgress::start(int total)
{
    cancelled_ = false;
    cancel_->setEnabled(true);
    showCount(0, total);
}

bool CPrintProgress::pagePainted(int painted, int total)
{
    showCount(painted, total);
    // Shown from the first page on: a job stopped at the printer dialog
    // never shows it.
    if (!isVisible())
        show();
    emit progressed(painted, total);
    // The job runs on this thread: the cancel button is heard between pages.
    QCoreApplication::processEvents();
    return !cancelled_;
}

QString CPrintProgress::text() const
{
    return label_->text();
}

void CPrintProgress::showCount(int painted, int total)
{
    // The page now on its way: the one after those painted.
    const int current = painted < total ? painted + 1 : total;
    label_->setText(QStringLiteral("正在打印 %1 / %2").arg(current).arg(total));
}

}
