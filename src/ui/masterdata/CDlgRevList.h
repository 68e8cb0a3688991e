#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace zentra::ui {

// The class-name dialog: one edit under the label "输入类别".
class CDlgRevList : public QDialog {
    Q_OBJECT
public:
    CDlgRevList(const QString &caption, const QString &text, QWidget *parent = nullptr);
    QString value() const;

private:
    QLineEdit *edit_;
};

// The class chooser of the batch class change: a drop-down list of the
// classes under the label "类别名称". The receiver, sender and goods books
// each name theirs (`CReceiverClass`, `CSenderClass`, `CCargoClass`).
class CBookClassChooser : public QDialog {
    Q_OBJECT
public:
    CBookClassChooser(const QString &caption, const QStringList &classes, QWidget *parent = nullptr);
    QString value() const;

private:
    QComboBox *combo_;
};

}
