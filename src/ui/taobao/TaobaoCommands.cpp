#include "ui/taobao/TaobaoCommands.h"

#include "core/config/DataFolder.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/MainCommands.h"
#include "ui/taobao/CTaoBao.h"

namespace zentra::ui {

void installTaobaoCommands(CMainFrame &frame, const AppState &state, const DataFolder &folder, Dialogs &dialogs)
{
    CMainFrame *parent = &frame;
    frame.setCommandHandler(cmd::TaobaoOrders, [parent, &state, folder, &dialogs] {
        CTaoBao dlg(state, folder, dialogs, parent);
        dlg.exec();
    });
}

}
