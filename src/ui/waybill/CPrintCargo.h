#pragma once

#include "core/data/DbConnection.h"
#include "core/masterdata/MasterBook.h"

#include <QWidget>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace zentra::ui {

class CReportCtrl;
class ComposeSession;
class Dialogs;

// The goods page of the tab panel ("发货物品"): the catalogue (filtered by
// class and search text) above the goods of the waybill being composed
// (`cargoSel`, one row per unit). A double click on the catalogue adds a
// unit, one on the selected list removes it; after every change the goods
// and money items are worked out again. "设为默认" keeps the goods for the
// next waybill.
class CPrintCargo : public QWidget {
    Q_OBJECT
public:
    CPrintCargo(ComposeSession &session, Dialogs &dialogs, QWidget *parent = nullptr);

    enum Column { Name = 2, Class = 3, Id = 14 };

    void classFilter();
    void search();
    // The catalogue changed elsewhere (its dialog): the classes and the
    // goods of the class and search text shown are read again.
    void showBookChanges();
    void addGoods(int catalogueRow);
    void removeGoods(int selectedRow);
    // A new waybill: the goods go unless they are locked.
    void clearGoods();

    // Catalogue menu.
    void deleteCatalogueSelected();
    void batchDeleteCatalogue();
    void batchClassCatalogue();
    // Selected-goods menu.
    void deleteSelectedGoods();
    void batchDeleteSelectedGoods();

    std::function<std::optional<QString>(const QStringList &classes)> chooseClass;

    CReportCtrl *catalogue() const { return catalogue_; }
    CReportCtrl *selected() const { return selected_; }

private:
    void fillCatalogue(const DbRows &rows);
    void fillSelected();
    void lockToggled(bool on);
    void catalogueMenu(const QPoint &pos);
    void selectedMenu(const QPoint &pos);
    void unlock();

    ComposeSession &session_;
    Dialogs &dialogs_;
    MasterBook book_;
    QComboBox *classCombo_ = nullptr;
    QLineEdit *searchEdit_ = nullptr;
    QCheckBox *lockBox_ = nullptr;
    CReportCtrl *catalogue_ = nullptr;
    CReportCtrl *selected_ = nullptr;
};

}
