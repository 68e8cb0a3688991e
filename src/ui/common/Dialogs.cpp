#include "ui/common/Dialogs.h"

#include "core/data/DbConnection.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include <algorithm>

namespace zentra::ui {
namespace {

// The room a window frame's title bar takes besides the caption: the window
// icon and the minimise, maximise and close buttons.
constexpr int kTitleBarExtra = 140;

}

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
    const QString title = caption.isEmpty() ? programName() : caption;
    box.setWindowTitle(title);
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
    // A short text makes a box too narrow for its title bar to show the
    // caption: the box is kept wide enough for it and the frame's buttons.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(box.fontMetrics().horizontalAdvance(title) + kTitleBarExtra, 0,
                                      QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
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

QString QtDialogs::saveFileAs(QWidget *parent, const QString &caption, const QString &dir, const QStringList &filters,
                              int &chosen)
{
    QString selected = filters.value(0);
    const QString path =
        QFileDialog::getSaveFileName(parent, caption, dir, filters.join(QStringLiteral(";;")), &selected);
    chosen = std::max(0, int(filters.indexOf(selected)));
    return path;
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

QString ScriptedDialogs::saveFileAs(QWidget *, const QString &caption, const QString &, const QStringList &,
                                    int &chosen)
{
    chosen = 0;
    if (!fileTypes.empty()) {
        chosen = fileTypes.front();
        fileTypes.pop_front();
    }
    return nextPath(caption);
}

void warnIfBusy(QWidget *parent, Dialogs &dialogs, bool readOk, const std::string &error)
{
    if (!readOk && error == kDatabaseBusyMessage)
        dialogs.warn(parent, QString::fromStdString(error));
}

}
