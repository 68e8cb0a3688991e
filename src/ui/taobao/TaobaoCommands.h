#pragma once

namespace zentra {
struct AppState;
class DataFolder;
}

namespace zentra::ui {

class CMainFrame;
class Dialogs;

// Joins the Taobao order list ("淘宝订单") to the window's command.
void installTaobaoCommands(CMainFrame &frame, const AppState &state, const DataFolder &folder, Dialogs &dialogs);

}
