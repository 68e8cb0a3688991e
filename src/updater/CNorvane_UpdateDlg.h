#pragma once

#include "updater/UpdateManager.h"

#include <QDialog>

#include <memory>

class QLabel;
class QListWidget;
class QProgressBar;

namespace zentra::updater {

// Message boxes captioned "软件升级": questions with OK and Cancel and a
// warning icon, messages with OK.
class MessageBoxPrompts : public UpdatePrompts {
public:
    explicit MessageBoxPrompts(QWidget *parent) : parent_(parent) {}
    bool ask(const QString &text) override;
    void tell(const QString &text) override;

private:
    QWidget *parent_;
};

// The update window: the message list, the bars of the current file and of
// all files, and the line naming the file being fetched. It owns the update
// run, starts it once when first shown and closes when the run ends.
class CNorvane_UpdateDlg : public QDialog {
    Q_OBJECT
public:
    // `prompts` answers the run's questions; the window's own message boxes
    // when null.
    explicit CNorvane_UpdateDlg(UpdateSetup setup, UpdatePrompts *prompts = nullptr, QWidget *parent = nullptr);
    ~CNorvane_UpdateDlg() override;

    UpdateManager::Outcome outcome() const { return outcome_; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<MessageBoxPrompts> ownPrompts_;
    UpdateManager *manager_;
    QListWidget *messages_;
    QProgressBar *current_;
    QProgressBar *overall_;
    QLabel *status_;
    bool started_ = false;
    UpdateManager::Outcome outcome_ = UpdateManager::Outcome::Failed;
};

}
