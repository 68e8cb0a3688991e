#include "ui/users/UserCommands.h"

#include "core/config/AppState.h"
#include "core/config/DataFolder.h"
#include "core/templates/TemplateLibrary.h"
#include "core/users/UserAccounts.h"
#include "render/CalibrationSheet.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/MainCommands.h"
#include "ui/users/CSysAddUser.h"
#include "ui/users/CSysSetSheet.h"
#include "ui/users/CSysUserPermission.h"
#include "ui/users/CSysUserPwd.h"

#include <QPrinterInfo>

namespace zentra::ui {

void installUserCommands(CMainFrame &frame, AppState &state, const DataFolder &folder, Dialogs &dialogs)
{
    CMainFrame *f = &frame;
    const std::string db = state.connectionString.empty() ? folder.databasePath() : state.connectionString;
    frame.setCommandHandler(cmd::ManageUsers, [f, db, &dialogs] {
        UserAccounts accounts(db);
        CSysAddUser dlg(accounts, dialogs, f);
        dlg.exec();
    });
    frame.setCommandHandler(cmd::ChangePassword, [f, db, &dialogs] {
        UserAccounts accounts(db);
        CSysUserPwd dlg(accounts, dialogs, f);
        dlg.exec();
    });
    frame.setCommandHandler(cmd::Permissions, [f, db, &dialogs] {
        UserAccounts accounts(db);
        CSysUserPermission dlg(accounts, dialogs, f);
        dlg.exec();
    });
    frame.setCommandHandler(cmd::Settings, [f, &state, folder, db, &dialogs] {
        // The sheet goes out on the waybill sheet: the default template's paper.
        const auto printCalibration = [folder](const QString &name) {
            Template paper;
            const bool havePaper = readDefaultTemplate(folder, paper);
            return render::printCalibrationOnQueue(name, havePaper ? &paper : nullptr);
        };
        CSysSetSheet sheet(state, folder.configPath(), db, dialogs, QPrinterInfo::availablePrinterNames(),
                           printCalibration, f);
        sheet.exec();
    });
}

}
