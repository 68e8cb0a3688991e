#include "updater/CNorvane_UpdateDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>

namespace zentra::updater {

namespace {

const QString kCaption = QStringLiteral("软件升级");
const QString kDownloading = QStringLiteral("正在下载：");

}

bool MessageBoxPrompts::ask(const QString &text)
{
    return QMessageBox::warning(parent_, kCaption, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) ==
           QMessageBox::Ok;
}

void MessageBoxPrompts::tell(const QString &text)
{
    QMessageBox::information(parent_, kCaption, text, QMessageBox::Ok);
}

CNorvane_UpdateDlg::CNorvane_UpdateDlg(UpdateSetup setup, UpdatePrompts *prompts, QWidget *parent) : QDialog(parent)
{
    if (!prompts) {
        ownPrompts_ = std::make_unique<MessageBoxPrompts>(this);
        prompts = ownPrompts_.get();
    }
    manager_ = new UpdateManager(std::move(setup), *prompts, this);

    setWindowTitle(QStringLiteral("在线升级"));
    messages_ = new QListWidget(this);
    messages_->setObjectName(QStringLiteral("messages"));
    current_ = new QProgressBar(this);
    current_->setObjectName(QStringLiteral("currentProgress"));
    overall_ = new QProgressBar(this);
    overall_->setObjectName(QStringLiteral("overallProgress"));
    for (QProgressBar *bar : {current_, overall_}) {
        bar->setRange(0, 100);
        bar->setValue(0);
    }
    status_ = new QLabel(kDownloading, this);
    status_->setObjectName(QStringLiteral("status"));

    auto *layout = new QGridLayout(this);
    layout->addWidget(messages_, 0, 0, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("当前进度"), this), 1, 0);
    layout->addWidget(current_, 1, 1);
    layout->addWidget(new QLabel(QStringLiteral("总体进度"), this), 2, 0);
    layout->addWidget(overall_, 2, 1);
    layout->addWidget(status_, 3, 0, 1, 2);
    resize(420, 300);

    connect(manager_, &UpdateManager::message, this, [this](const QString &text) {
        messages_->addItem(text);
        messages_->scrollToBottom();
    });
    connect(manager_, &UpdateManager::downloadStarted, this,
            [this](const QString &relative) { status_->setText(kDownloading + relative); });
    connect(manager_, &UpdateManager::currentProgress, current_, &QProgressBar::setValue);
    connect(manager_, &UpdateManager::overallProgress, overall_, &QProgressBar::setValue);
    connect(manager_, &UpdateManager::finished, this, [this](UpdateManager::Outcome outcome) {
        outcome_ = outcome;
        accept();
    });
}

CNorvane_UpdateDlg::~CNorvane_UpdateDlg() = default;

void CNorvane_UpdateDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (started_)
        return;
    started_ = true;
    // Once the window is up, so the first messages and any question appear
    // over it.
    QTimer::singleShot(0, manager_, &UpdateManager::start);
}

}
