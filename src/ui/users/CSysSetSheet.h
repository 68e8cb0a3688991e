#pragma once

#include "core/config/ConfigFile.h"
#include "ui/users/CSysSetPages.h"

#include <QDialog>

class QPushButton;
class QTabWidget;

namespace zentra::ui {

class Dialogs;

// "系统设置": the four settings pages in tabs. A change on a page enables
// "应用"; "应用" writes the changed pages, "确定" writes every page the user
// changed or looked at and closes, "取消" drops what was not applied.
class CSysSetSheet : public QDialog {
    Q_OBJECT
public:
    // `databasePath` serves the routine page, which makes sure "admin" has a
    // password before the login is switched on.
    CSysSetSheet(AppState &state, const std::string &configPath, const std::string &databasePath, Dialogs &dialogs,
                 const QStringList &printers, CSysSetPrint::CalibrationPrinter printCalibration,
                 QWidget *parent = nullptr);

    void apply();
    void acceptSheet();

    QTabWidget *tabs() const { return tabs_; }

private:
    void applyPages(bool visitedToo);

    ConfigFile config_;
    Dialogs &dialogs_;
    QTabWidget *tabs_;
    QPushButton *apply_;
    std::vector<SettingsPage *> pages_;
    std::vector<bool> visited_;
};

}
