#include "ui/data/DatabaseCommands.h"

#include "core/data/Maintenance.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/MainCommands.h"
#include "ui/common/Dialogs.h"

namespace zentra::ui {
namespace {

void showOutcome(QWidget *parent, Dialogs &dialogs, const MaintenanceResult &r)
{
    dialogs.message(parent, QString(), QString::fromStdString(r.message), Dialogs::Buttons::Ok,
                    r.ok ? Dialogs::Icon::Information : Dialogs::Icon::Warning);
}

}

void installDatabaseCommands(CMainFrame &frame, const DataFolder &folder, Dialogs &dialogs)
{
    CMainFrame *parent = &frame;
    frame.setCommandHandler(cmd::BackupDatabase, [parent, folder, &dialogs] {
        if (dialogs.ask(parent, QStringLiteral("确定要备份数据库?")))
            showOutcome(parent, dialogs, backupDatabase(folder));
    });
    frame.setCommandHandler(cmd::RestoreDatabase, [parent, folder, &dialogs] {
        if (dialogs.ask(parent, QStringLiteral("还原数据库将覆盖原来的数据库，确定要还原?")))
            showOutcome(parent, dialogs, restoreDatabase(folder));
    });
    frame.setCommandHandler(cmd::CompactDatabase, [parent, folder, &dialogs] {
        // A failure shows the engine's own description in a plain box.
        const MaintenanceResult r = compactDatabase(folder);
        dialogs.message(parent, QString(), QString::fromStdString(r.message), Dialogs::Buttons::Ok,
                        r.ok ? Dialogs::Icon::Information : Dialogs::Icon::None);
    });
}

}
