#pragma once

#include "core/data/DbConnection.h"
#include "core/masterdata/MasterBook.h"
#include "core/waybill/ComposeSettings.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace zentra::ui {

class CReportCtrl;
class ComposeSession;
class BookRowSource;
class Dialogs;

// What tells the sender page from the receiver page.
struct PartyPageText {
    Party party;
    QString who; // "收件人" / "发件人", in captions and messages
    QString gridSpec;
    bool recomputesFreight; // choosing a receiver reprices the goods
};

const PartyPageText &receiverPageText();
const PartyPageText &senderPageText();

// The receiver page of the tab panel ("收件人"), and with senderPageText()
// the sender page: the book's entries filtered by class and search text; a
// double click puts the entry into the waybill; "设为默认" keeps it as the
// default of new waybills (in config.ini); the ticked entries go to the print
// list in one batch. The grid row is the record the page works from.
class CPrintReceiver : public QWidget {
    Q_OBJECT
public:
    CPrintReceiver(const PartyPageText &text, ComposeSession &session, Dialogs &dialogs, QWidget *parent = nullptr);

    // Grid columns the page reads.
    enum Column { Name = 2, Class = 3, Mobile = 6, Province = 8, Address = 13, Id = 20 };

    // Refills the grid with the entries of the class and search text shown.
    void search();
    void classFilter();
    // Double click on a grid row.
    void chooseRow(int row);
    // Puts the default entry into the waybill, while "设为默认" is ticked.
    void fillDefault();
    // The book changed elsewhere (its dialog): the classes and the entries
    // of the class and search text shown are read again.
    void showBookChanges();

    // The context menu's entries.
    void deleteSelected();
    void batchDelete();
    void batchClass();
    void batchAdd();

    // The class chooser of "批量改类别"; nullopt on Cancel. Tests replace it.
    std::function<std::optional<QString>(const QStringList &classes)> chooseClass;

    CReportCtrl *grid() const { return grid_; }
    QString currentId() const { return currentId_; }
    // The row shown with the highlight of the current entry; -1 for none.
    int highlightedRow() const;

private:
    void fill(std::shared_ptr<BookRowSource> source);
    void fill(DbRows rows);
    void fillClass(const std::string &className);
    void fillClasses();
    void defaultToggled(bool on);
    void showContextMenu(const QPoint &pos);
    void setHighlight(int row);
    BookEntry entryOfRow(int row) const;
    BookEntry keyOfRow(int row) const;
    PartyDefault &defaults() const;

    const PartyPageText &text_;
    ComposeSession &session_;
    Dialogs &dialogs_;
    MasterBook book_;
    QString currentId_;
    QString currentName_;

    QComboBox *classCombo_ = nullptr;
    QLineEdit *searchEdit_ = nullptr;
    QLineEdit *nameEdit_ = nullptr;
    QCheckBox *defaultBox_ = nullptr;
    CReportCtrl *grid_ = nullptr;
};

// The sender page ("发件人").
class CPrintSender : public CPrintReceiver {
    Q_OBJECT
public:
    CPrintSender(ComposeSession &session, Dialogs &dialogs, QWidget *parent = nullptr)
        : CPrintReceiver(senderPageText(), session, dialogs, parent)
    {
        setObjectName(QStringLiteral("CPrintSender"));
    }
};

}
