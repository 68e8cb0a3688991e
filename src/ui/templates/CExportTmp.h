#pragma once

#include "core/config/DataFolder.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

namespace zentra::ui {

class CReportCtrl;
class Dialogs;

// The export chooser "模板导出": the template files in a check-box list;
// "下一步" accepts with the checked file names in list order.
class CExportTmp : public QDialog {
    Q_OBJECT
public:
    CExportTmp(const DataFolder &folder, QWidget *parent = nullptr);

    std::vector<std::string> chosen() const { return chosen_; }
    CReportCtrl *list() const { return list_; }

private:
    CReportCtrl *list_;
    std::vector<std::string> chosen_;
};

// "模板导出": the chooser, then (when something was checked) the folder
// dialog, then the copies; "模板导出失败!" at the first failed copy.
void exportTemplatesInteractively(QWidget *parent, const DataFolder &folder, Dialogs &dialogs);

// "模板导入": the multi-select file dialog, then the copies into the template
// folder; "模板导入失败!" (naming the file) at the first failure, else
// `rebuildList` runs and "模板导入成功!" is shown.
void importTemplatesInteractively(QWidget *parent, const DataFolder &folder, Dialogs &dialogs,
                                  const std::function<void()> &rebuildList);

}
