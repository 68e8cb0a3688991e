#include "ui/users/UserCommands.h"

#include "core/config/AppState.h"
#include "core/config/DataFolder.h"
#include "core/users/UserAccounts.h"
#include "render/CalibrationSheet.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/MainCommands.h"
#include "ui/users/CSysAddUser.h"
#include "ui/users/CSysSetSheet.h"
#include "ui/users/CSysUserPermission.h"
#include "ui/users/CSysUserPwd.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace zentra::ui {

namespace {

bool printCalibrationOn(const QString &name)
{
    if (QPrinterInfo::printerInfo(name).isNull())
        return false;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(name);
    printer.setDocName(QStringLiteral("打印校准页"));
    return render::printCalibrationSheet(printer);
}

}

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
    frame.setCommandHandler(cmd::Settings, [f, &state, config = folder.configPath(), db, &dialogs] {
        CSysSetSheet sheet(state, config, db, dialogs, QPrinterInfo::availablePrinterNames(), printCalibrationOn, f);
        sheet.exec();
    });
}

}
