#pragma once

#include "core/config/DataFolder.h"

#include <QWidget>

#include <functional>

class QLineEdit;
class QPushButton;

namespace zentra {
struct AppState;
}

namespace zentra::ui {

class CQuorvelView;
class CReportCtrl;
class Dialogs;

// The template list page (tab "选择模板"): the templates of the template
// folder, the current template's name, and the buttons of the whole-template
// operations. Double-clicking a row makes it the current template (not while
// designing) and the default one in config.ini. The buttons only ask: the
// owner decides, through the permission gate, what "编辑", "导入", "导出",
// "删除" and "下载更多模板" do (see installTemplateList).
class CPrintTmpChose : public QWidget {
    Q_OBJECT
public:
    CPrintTmpChose(AppState &state, DataFolder folder, Dialogs &dialogs, CQuorvelView &view,
                   QWidget *parent = nullptr);

    // Lists the template files anew; the row whose file name equals
    // `fileName` exactly is selected and its template becomes current.
    void rebuildList(const QString &fileName = QString());
    // The double-click rule for a row. Refused while designing: the
    // highlight stays on the current template.
    void chooseRow(int row);
    // "删除": asks, then deletes the selected templates with their freight rates.
    void deleteSelected();

    CReportCtrl *list() const { return list_; }
    QString currentName() const;

signals:
    void editClicked();
    void importClicked();
    void exportClicked();
    void deleteClicked();
    void downloadClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Only the current template's row is selected.
    void selectCurrentRow();

    AppState &state_;
    DataFolder folder_;
    Dialogs &dialogs_;
    CQuorvelView &view_;
    CReportCtrl *list_;
    QLineEdit *current_;
    bool restoreOnRelease_ = false; // a refused double click's release is to come
};

}
