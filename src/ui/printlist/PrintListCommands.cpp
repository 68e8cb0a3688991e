#include "ui/printlist/PrintListCommands.h"

#include "core/config/DataFolder.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/MainCommands.h"
#include "ui/printlist/CHistoryPrtList.h"
#include "ui/printlist/CPrintList.h"

namespace zentra::ui {

void installPrintListCommands(CMainFrame &frame, CQuorvelView &canvas, AppState &state, const DataFolder &folder,
                              Dialogs &dialogs)
{
    CMainFrame *parent = &frame;
    CQuorvelView *view = &canvas;
    AppState *app = &state;
    frame.setCommandHandler(cmd::BatchPrint, [parent, view, app, folder, &dialogs] {
        CPrintList dlg(*app, folder, dialogs, *view, parent);
        dlg.exec();
    });
    frame.setCommandHandler(cmd::History, [parent, view, app, folder, &dialogs] {
        CHistoryPrtList dlg(*app, folder, dialogs, *view, {}, parent);
        dlg.exec();
    });
}

}
