#include "ui/common/Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace zentra::ui {

QString Dialogs::programName()
{
    return QStringLiteral("Zentra");
}

Dialogs::Answer QtDialogs::message(QWidget *parent, const QString &caption, const QString &text, Buttons buttons,
                                   Icon icon)
{
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("messageBox"));
    // A box without a caption of its own shows the program's name; one
    // without an icon of its own is an information.
    box.setWindowTitle(caption.isEmpty() ? programName() : caption);
    box.setText(text);
    switch (icon) {
    case Icon::None:
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    if (buttons == Buttons::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    return box.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

QString QtDialogs::openFile(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QStringList QtDialogs::openFiles(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    return QFileDialog::getOpenFileNames(parent, caption, dir, filter);
}

QString QtDialogs::saveFile(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

QString QtDialogs::chooseFolder(QWidget *parent, const QString &caption, const QString &dir)
{
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}

Dialogs::Answer ScriptedDialogs::message(QWidget *, const QString &caption, const QString &text, Buttons buttons,
                                         Icon icon)
{
    asked.push_back({caption, text, buttons, icon});
    if (answers.empty())
        return Answer::Ok;
    Answer a = answers.front();
    answers.pop_front();
    return a;
}

QString ScriptedDialogs::nextPath(const QString &caption)
{
    fileCaptions << caption;
    if (paths.empty())
        return {};
    QString p = paths.front();
    paths.pop_front();
    return p;
}

QString ScriptedDialogs::openFile(QWidget *, const QString &caption, const QString &, const QString &)
{
    return nextPath(caption);
}

QStringList ScriptedDialogs::openFiles(QWidget *, const QString &caption, const QString &, const QString &)
{
    QString p = nextPath(caption);
    return p.isEmpty() ? QStringList() : p.split(QLatin1Char('\n'));
}

QString ScriptedDialogs::saveFile(QWidget *, const QString &caption, const QString &, const QString &)
{
    return nextPath(caption);
}

QString ScriptedDialogs::chooseFolder(QWidget *, const QString &caption, const QString &)
{
    return nextPath(caption);
}

}
