#pragma once

#include "core/config/DataFolder.h"
#include "core/masterdata/MasterBook.h"
#include "core/masterdata/Regions.h"
#include "ui/masterdata/BookDialogText.h"

#include <QDialog>

#include <functional>
#include <optional>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace zentra::ui {

class CReportCtrl;
class Dialogs;

// The book dialog that the receiver book, the sender book and the goods
// catalogue share: class list, entry grid, the collapsible edit panel, search,
// class maintenance, batch delete and batch class change, CSV import and
// export. What differs between the three is a BookDialogText; every rule is
// MasterBook's. The class lists show the classes in the book's order:
// "_全部类别_" first (selected when the dialog opens), then GBK order.
//
// The panel edits one entry at a time: mode Add after "新增(N)", mode Edit
// (identity fields read-only) after "修改(E)" or a double click.
class CBookDlg : public QDialog {
    Q_OBJECT
public:
    CBookDlg(const BookDialogText &text, const std::string &databasePath, Dialogs &dialogs, QWidget *parent = nullptr);

    // The class-name dialog (caption, label, text) and the class chooser
    // (its own caption; the classes to offer). Both give nullopt on Cancel;
    // tests replace them so that nothing modal runs.
    std::function<std::optional<QString>(const QString &caption, const QString &text)> askClassName;
    std::function<std::optional<QString>(const QStringList &classes)> chooseClass;

    // The data folder whose own files an export must never write over;
    // without it, the folder the database file lies in.
    void setDataFolder(const DataFolder &folder) { folder_ = folder; }

    bool isPanelShown() const;
    MasterBook::Mode mode() const { return mode_; }
    CReportCtrl *grid() const { return grid_; }

    // Fills the grid with `rows`, or with the whole book or one class of it
    // (ordered by name, read as the rows are shown).
    void fillGrid();
    void fillGrid(DbRows rows);
    void fillGridByClass(const std::string &className);

signals:
    // An entry or a class of the book was stored, changed or deleted.
    void bookChanged();

private:
    QPushButton *button(const QString &text, const char *name, void (CBookDlg::*slot)());
    QWidget *buildPanel();
    void setPanelShown(bool shown);
    void fillClassList(const QString &select = QString());
    QString currentClass() const;
    void fillClassCombo(const QString &select);
    void fillProvinces(const QString &select);
    void fillCities(const QString &select);
    void fillDistricts(const QString &select);
    QWidget *fieldWidget(const char *column) const;
    void loadEntry(const DbRow &row);
    BookEntry keyOfRow(int row) const;

    void newEntry();
    void editSelected();
    void editRow(int row);
    void save();
    void deleteSelected();
    void batchDelete();
    void selectAll();
    void selectNone();
    void batchClass();
    void search();
    void classChosen();
    void addClass();
    void renameClass();
    void deleteClass();
    void showFailure(const BookResult &r);
    void importFile();
    void exportFile();

    const BookDialogText &text_;
    MasterBook book_;
    std::optional<DataFolder> folder_;
    Regions regions_;
    Dialogs &dialogs_;
    MasterBook::Mode mode_ = MasterBook::Mode::Add;
    std::int64_t provinceId_ = 0;
    std::int64_t cityId_ = 0;

    QListWidget *classList_ = nullptr;
    CReportCtrl *grid_ = nullptr;
    QWidget *panel_ = nullptr;
    QLineEdit *searchEdit_ = nullptr;
    QComboBox *classCombo_ = nullptr;
    QComboBox *province_ = nullptr;
    QComboBox *city_ = nullptr;
    QComboBox *district_ = nullptr;
    std::vector<std::pair<const char *, QWidget *>> fields_;
};

}
