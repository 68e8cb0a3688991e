#pragma once

namespace zentra {
class DataFolder;
struct AppState;
}

namespace zentra::ui {

class CMainFrame;
class CQuorvelView;
class Dialogs;

// Joins "批量打印" (CPrintList) and "历史快递单查询" (CHistoryPrtList) to
// the window's commands, each behind its permission flag in the command
// table; both print and open rows through `canvas`.
void installPrintListCommands(CMainFrame &frame, CQuorvelView &canvas, AppState &state, const DataFolder &folder,
                              Dialogs &dialogs);

}
