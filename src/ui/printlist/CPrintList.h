#pragma once

#include "core/config/DataFolder.h"
#include "core/waybill/PrintClaims.h"
#include "core/waybill/WaybillRow.h"

#include <QDialog>

class QLineEdit;

namespace zentra {
struct AppState;
}

namespace zentra::render {
class PrintJob;
}

namespace zentra::ui {

class CPrintProgress;
class CQuorvelView;
class CReportCtrl;
class Dialogs;

// "批量打印": the waybills waiting in the print list. The user searches,
// ticks, deletes, corrects express numbers in place, opens a row on the
// canvas, and prints ticked or all rows through the canvas's batch job. After
// the job exactly the rows that reached the paper move to the history, and
// leave the grid with them; the grid always shows what the table holds. With
// a shared database the job first claims its rows (rows another station is
// printing are shown as such and passed over), renews the claims page by
// page, and releases what it did not print; a lost connection stops the job
// after the page being printed.
class CPrintList : public QDialog {
    Q_OBJECT
public:
    CPrintList(AppState &state, DataFolder folder, Dialogs &dialogs, CQuorvelView &canvas, QWidget *parent = nullptr);

    CReportCtrl *grid() const { return grid_; }
    CPrintProgress *progress() const { return progress_; }

    void selectAll();
    void selectNone();
    void deleteTicked();
    void deleteAll();
    void printTicked();
    void printAll();
    void search();
    void openRow(int row);

private:
    void reload(const std::string &text);
    void print(int mode);
    void afterPrint(const render::PrintJob &job);
    void storeExpressNo(int row, int column);

    // Renews the job's claims after a page: false when the database is gone.
    bool renewAfterPage();
    void releaseClaims();

    AppState &state_;
    DataFolder folder_;
    PrintClaimJob claim_;
    bool connectionLost_ = false;
    Dialogs &dialogs_;
    CQuorvelView &canvas_;
    CReportCtrl *grid_;
    QLineEdit *searchEdit_;
    CPrintProgress *progress_;
};

}
