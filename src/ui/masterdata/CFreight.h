#pragma once

#include "core/masterdata/Freight.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QLineEdit;

namespace zentra::ui {

class CDEdit;
class CReportCtrl;
class Dialogs;

// The rate editor: first-weight fee, further-weight fee and the order value
// from which postage is free.
class CFreightSetPopup : public QDialog {
    Q_OBJECT
public:
    using Figures = std::array<QString, 3>;
    explicit CFreightSetPopup(const Figures &figures = {}, QWidget *parent = nullptr);
    Figures figures() const;

private:
    std::array<CDEdit *, 3> edits_{};
};

// The freight rates of one template. The grid is a working copy of the
// template's rows (made from the defaults on first use): every edit changes
// the grid only, "确定修改(S)" writes all rows in one transaction and closes,
// "关闭(Q)" drops the edits.
class CFreight : public QDialog {
    Q_OBJECT
public:
    CFreight(const std::string &databasePath, const std::string &templateName, Dialogs &dialogs,
             QWidget *parent = nullptr);

    // The rate editor; nullopt on Cancel. Tests replace it.
    std::function<std::optional<CFreightSetPopup::Figures>(const CFreightSetPopup::Figures &)> editRates;

    CReportCtrl *grid() const { return grid_; }

private:
    void setRow(int row, const CFreightSetPopup::Figures &f);
    int firstSelected() const;
    void freeOne();
    void editOne(int row);
    void freeAll();
    void editChecked();
    void saveAll();

    FreightRates rates_;
    std::string template_;
    Dialogs &dialogs_;
    CReportCtrl *grid_;
};

}
