#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace zentra::ui {

// The window shown while a batch job prints: "正在打印 n / N" and a cancel
// button. A cancel ends the job after the page being printed; the rows of the
// pages printed until then are the job's printed rows.
class CPrintProgress : public QDialog {
    Q_OBJECT
public:
    explicit CPrintProgress(QWidget *parent = nullptr);

    // A job of N pages is about to start: nothing printed, not cancelled.
    void start(int total);
    // A page was painted: shows it and lets the cancel button be clicked.
    // False once the user cancelled.
    bool pagePainted(int painted, int total);
    bool cancelled() const { return cancelled_; }
    QString text() const;

signals:
    // Every page painted, before the cancel is looked at.
    void progressed(int painted, int total);

private:
    void showCount(int painted, int total);

    QLabel *label_;
    QPushButton *cancel_;
    bool cancelled_ = false;
};

}
