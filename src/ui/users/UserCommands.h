#pragma once

namespace zentra {
struct AppState;
class DataFolder;
}

namespace zentra::ui {

class CMainFrame;
class Dialogs;

// Joins the dialogs of the menu "系统选项" to the window: "系统设置",
// "用户管理", "修改密码" and "权限设置". The frame's permission gate runs
// before each.
void installUserCommands(CMainFrame &frame, AppState &state, const DataFolder &folder, Dialogs &dialogs);

}
