#include "ui/masterdata/MasterDataCommands.h"

#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
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

void installMasterDataCommands(CMainFrame &frame, const DataFolder &folder, Dialogs &dialogs)
{
    CMainFrame *parent = &frame;
    const std::string db = folder.databasePath();
    frame.setCommandHandler(cmd::NewReceiver, [parent, db, &dialogs] {
        CReceiver dlg(db, dialogs, parent);
        dlg.exec();
    });
    frame.setCommandHandler(cmd::NewSender, [parent, db, &dialogs] {
        CSender dlg(db, dialogs, parent);
        dlg.exec();
    });
    frame.setCommandHandler(cmd::AddGoods, [parent, db, &dialogs] {
        CCargo dlg(db, dialogs, parent);
        dlg.exec();
    });
    frame.setCommandHandler(cmd::FreightRates, [parent, db, folder, &dialogs] {
        CFreight dlg(db, freightTemplateName(folder), dialogs, parent);
        dlg.exec();
    });
}

}
