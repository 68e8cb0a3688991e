#include "ui/masterdata/MasterDataCommands.h"

#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/masterdata/BookKind.h"
#include "core/templates/TemplateLibrary.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/MainCommands.h"
#include "ui/masterdata/CFreight.h"
#include "ui/masterdata/CReceiver.h"

namespace zentra::ui {

std::string freightTemplateName(const DataFolder &folder)
{
    if (!fileExists(folder.configPath()))
        return {};
    return templateNameOfFile(ConfigFile(folder.configPath()).readText("Template", "Default"));
}

namespace {

// Runs a book dialog; when it changed its book, the window hears of it once
// the dialog is closed.
void runBook(CMainFrame &frame, CBookDlg &dlg, const BookKind &book)
{
    bool changed = false;
    QObject::connect(&dlg, &CBookDlg::bookChanged, &dlg, [&changed] { changed = true; });
    dlg.exec();
    if (changed)
        frame.hooks().bookChanged(book);
}

}

void installMasterDataCommands(CMainFrame &frame, const DataFolder &folder, Dialogs &dialogs)
{
    CMainFrame *parent = &frame;
    const std::string db = folder.databasePath();
    frame.setCommandHandler(cmd::NewReceiver, [parent, db, folder, &dialogs] {
        CReceiver dlg(db, dialogs, parent);
        dlg.setDataFolder(folder);
        runBook(*parent, dlg, receiverBook());
    });
    frame.setCommandHandler(cmd::NewSender, [parent, db, folder, &dialogs] {
        CSender dlg(db, dialogs, parent);
        dlg.setDataFolder(folder);
        runBook(*parent, dlg, senderBook());
    });
    frame.setCommandHandler(cmd::AddGoods, [parent, db, folder, &dialogs] {
        CCargo dlg(db, dialogs, parent);
        dlg.setDataFolder(folder);
        runBook(*parent, dlg, cargoBook());
    });
    frame.setCommandHandler(cmd::FreightRates, [parent, db, folder, &dialogs] {
        CFreight dlg(db, freightTemplateName(folder), dialogs, parent);
        dlg.exec();
    });
}

}
