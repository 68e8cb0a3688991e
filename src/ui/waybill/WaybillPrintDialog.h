#pragma once

#include <QPageSize>
#include <QString>

class QPrinter;
class QWidget;

namespace zentra::ui {

// The print dialog of the canvas's jobs: Qt's QPrintDialog, with what it loses
// put back.
// - The paper a job was prepared with stays unless the user chooses another
//   in the dialog's properties; a queue chosen in the dialog brings its own
//   default paper. (On accepting, Qt's dialog puts the first paper of the
//   queue's list on the printer whenever the prepared one is not in that list,
//   as a template's own size never is.)
// - Its properties show the paper given to run() (a template's size as a
//   custom size).
// - "Print to file" offers the file chosen last in this run, not print.pdf in
//   the home folder.
// Every page prints: a batch moves all its rows to the history afterwards, so
// the dialog offers no page range.
class WaybillPrintDialog {
public:
    // Runs the dialog for `printer`; true when the user chose to print.
    // `shown` is the paper its properties show (invalid: the printer's).
    bool run(QPrinter &printer, QWidget *parent, const QPageSize &shown);

    // The file "print to file" last wrote to in this run.
    const QString &lastFile() const { return lastFile_; }

    // Makes the page settings of the dialog's properties (`properties`, the
    // widget holding them) show `paper`: the entry of the queue's list when it
    // is one, else the custom size in millimetres.
    static void showPaper(QWidget &properties, const QPageSize &paper);

private:
    QString lastFile_;
};

}
