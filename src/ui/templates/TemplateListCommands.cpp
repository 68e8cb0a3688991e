#include "ui/templates/TemplateListCommands.h"

#include "core/config/AppState.h"
#include "core/config/DataFolder.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/CPrintTemplate.h"
#include "ui/app/MainCommands.h"
#include "ui/templates/CAddTmpSheet.h"
#include "ui/templates/CExportTmp.h"
#include "ui/templates/CPrintSetup.h"
#include "ui/templates/CPrintTmpChose.h"
#include "ui/templates/PictureImport.h"
#include "ui/common/CDEdit.h"
#include "ui/waybill/CQuorvelView.h"

namespace zentra::ui {

namespace {
constexpr int kDeletePermission = 12;
}

void changeBackground(QWidget *parent, CQuorvelView &view, AppState &state, Dialogs &dialogs)
{
    CChangeImgDlg dialog(dialogs, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    state.templateModified = true;
    view.setPaperSize(dialog.widthEdit()->text().toStdString(), dialog.heightEdit()->text().toStdString());
    view.setBackground(dialog.picture()->imageData());
}

CPrintTmpChose *installTemplateList(CMainFrame &frame, CQuorvelView &view, CPrintSetup *designPanel,
                                    AppState &state, const DataFolder &folder, Dialogs &dialogs)
{
    auto *page = new CPrintTmpChose(state, folder, dialogs, view);
    frame.printTemplate()->setPage(CPrintTemplate::TemplateChooser, page);
    CMainFrame *f = &frame;

    frame.setCommandHandler(cmd::NewTemplate, [f, page, &view, &state, folder, &dialogs] {
        CAddTmpSheet sheet(state, folder, dialogs, f);
        if (sheet.exec() != QDialog::Accepted)
            return;
        // The new template becomes current; the default in config.ini stays.
        view.destroyAllItems();
        view.loadTemplate(sheet.writtenFile());
        page->rebuildList(QString::fromStdString(sheet.writtenFile()));
    });
    frame.setCommandHandler(cmd::ImportTemplate, [f, page, folder, &dialogs] {
        importTemplatesInteractively(f, folder, dialogs, [page] { page->rebuildList(); });
    });
    frame.setCommandHandler(cmd::ExportTemplate,
                            [f, folder, &dialogs] { exportTemplatesInteractively(f, folder, dialogs); });

    QObject::connect(page, &CPrintTmpChose::editClicked, page, [f] { f->runCommand(cmd::EditTemplate); });
    QObject::connect(page, &CPrintTmpChose::importClicked, page, [f] { f->runCommand(cmd::ImportTemplate); });
    QObject::connect(page, &CPrintTmpChose::exportClicked, page, [f] { f->runCommand(cmd::ExportTemplate); });
    QObject::connect(page, &CPrintTmpChose::deleteClicked, page, [f, page] {
        if (f->checkPermission(kDeletePermission))
            page->deleteSelected();
    });
    QObject::connect(page, &CPrintTmpChose::downloadClicked, page, [f] { f->openHomePage(); });
    if (designPanel)
        QObject::connect(designPanel, &CPrintSetup::backgroundRequested, designPanel,
                         [f, &view, &state, &dialogs] { changeBackground(f, view, state, dialogs); });
    return page;
}

}
